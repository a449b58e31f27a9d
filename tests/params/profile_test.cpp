#include "platform/text/profile.h"
#include "package_fixture.h"
#include "platform/error.h"
#include "platform/text/codepage.h"

#include <gtest/gtest.h>
#include <QFile>

using namespace tallomar;

namespace {

QByteArray gbk(const QString& text) {
    return codepage::encodeGbk(text).value();
}

}  // namespace

TEST(ProfileReading, NamesMatchWithoutRegardToCaseAndWhitespaceIsTrimmed) {
    test::PackageFixture package;
    const QString file = package.writeFile(QStringLiteral("a.ini"),
                                           QStringLiteral("[SQL]\n  Name  =   报表  \n[Var]\n\t1.5\t=\t12\t\n"));
    EXPECT_EQ(profile::readValue(file, QStringLiteral("sql"), QStringLiteral("NAME")), QStringLiteral("报表"));
    EXPECT_EQ(profile::readValue(file, QStringLiteral("VAR"), QStringLiteral("1.5")), QStringLiteral("12"));
    EXPECT_EQ(profile::readValue(file, QStringLiteral("SQL"), QStringLiteral("Function")), std::nullopt);
    EXPECT_EQ(profile::readValue(file, QStringLiteral("Other"), QStringLiteral("Name")), std::nullopt);
    EXPECT_EQ(
        profile::readValue(package.path(QStringLiteral("none.ini")), QStringLiteral("SQL"), QStringLiteral("Name")),
        std::nullopt);
}

TEST(ProfileReading, OnePairOfMatchingQuotesIsRemoved) {
    test::PackageFixture package;
    const QString file = package.writeFile(QStringLiteral("a.ini"),
                                           QStringLiteral("[S]\na=\"x y\"\nb='x'\nc=\"x'\nd=\"\"x\"\"\ne=\"\n"));
    const auto read = [&](const char* key) {
        return profile::readValue(file, QStringLiteral("S"), QString::fromLatin1(key));
    };
    EXPECT_EQ(read("a"), QStringLiteral("x y"));
    EXPECT_EQ(read("b"), QStringLiteral("x"));
    EXPECT_EQ(read("c"), QStringLiteral("\"x'"));
    EXPECT_EQ(read("d"), QStringLiteral("\"x\""));
    EXPECT_EQ(read("e"), QStringLiteral("\""));
}

TEST(ProfileReading, SemicolonStartsACommentOnlyAtTheStartOfALine) {
    test::PackageFixture package;
    const QString file = package.writeFile(QStringLiteral("a.ini"),
                                           QStringLiteral("[S]\n;a=hidden\n  ;b=hidden\nc=1 ;kept\nno equals sign\n"));
    EXPECT_EQ(profile::readValue(file, QStringLiteral("S"), QStringLiteral("a")), std::nullopt);
    EXPECT_EQ(profile::readValue(file, QStringLiteral("S"), QStringLiteral("b")), std::nullopt);
    EXPECT_EQ(profile::readValue(file, QStringLiteral("S"), QStringLiteral("c")), QStringLiteral("1 ;kept"));
    EXPECT_EQ(profile::readValue(file, QStringLiteral("S"), QStringLiteral("no equals sign")), std::nullopt);
}

TEST(ProfileReading, TheFirstOccurrenceOfANameCounts) {
    test::PackageFixture package;
    const QString file = package.writeFile(QStringLiteral("a.ini"),
                                           QStringLiteral("[S]\nk=first\nK=second\n[s]\nk=third\nonly=later\n"));
    EXPECT_EQ(profile::readValue(file, QStringLiteral("S"), QStringLiteral("k")), QStringLiteral("first"));
    EXPECT_EQ(profile::readValue(file, QStringLiteral("S"), QStringLiteral("only")), QStringLiteral("later"));
    profile::writeValue(file, QStringLiteral("S"), QStringLiteral("K"), QStringLiteral("new"));
    EXPECT_EQ(package.readBytes(QStringLiteral("a.ini")),
              QByteArray("[S]\r\nk=new\r\nK=second\r\n[s]\r\nk=third\r\nonly=later\r\n"));
}

TEST(ProfileEncoding, ABadByteReadsAsAReplacementCharacterAlsoAtTheEndOfTheFile) {
    test::PackageFixture package;
    package.writeBytes(QStringLiteral("a.ini"), "[S]\r\nk=" + gbk(QStringLiteral("值")) + "\xBF");
    const QString file = package.path(QStringLiteral("a.ini"));
    const QString expected = QStringLiteral("值\uFFFD");
    EXPECT_EQ(profile::readValue(file, QStringLiteral("S"), QStringLiteral("k")), expected);
    profile::writeValue(file, QStringLiteral("T"), QStringLiteral("k"), QStringLiteral("1"));
    EXPECT_EQ(profile::readValue(file, QStringLiteral("S"), QStringLiteral("k")), expected)
        << "the line break added after it changes nothing";
}

TEST(ProfileEncoding, ByteOrderMarksChooseUtf8OrUtf16AndOtherwiseCodePage936) {
    test::PackageFixture package;
    const QString text = QStringLiteral("[SQL]\r\nName=应收账款\r\n");
    package.writeBytes(QStringLiteral("gbk.ini"), gbk(text));
    package.writeBytes(QStringLiteral("utf8.ini"), "\xEF\xBB\xBF" + text.toUtf8());
    QByteArray utf16("\xFF\xFE", 2);
    utf16.append(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
    package.writeBytes(QStringLiteral("utf16.ini"), utf16);
    for (const char* name : {"gbk.ini", "utf8.ini", "utf16.ini"})
        EXPECT_EQ(
            profile::readValue(package.path(QString::fromLatin1(name)), QStringLiteral("SQL"), QStringLiteral("Name")),
            QStringLiteral("应收账款"))
            << name;
}

TEST(ProfileWriting, ReplacesOneValueAndKeepsEveryOtherByte) {
    test::PackageFixture package;
    const QByteArray before = gbk(QStringLiteral("; 参数\r\n[SQL]\r\nName = 报表 \r\n[Var]\r\n  1.5  = old //x\r\n"
                                                 "1.6=\"q\"\r\nfree text\r\n")) +
                              QByteArray("bad=\x81\x20\r\n");  // not GBK: must survive as it is
    package.writeBytes(QStringLiteral("a.ini"), before);
    profile::writeValue(package.path(QStringLiteral("a.ini")), QStringLiteral("var"), QStringLiteral("1.5"),
                        QStringLiteral("二〇二六"));
    QByteArray expected = before;
    const QByteArray oldValue(" old //x");
    expected.replace(expected.indexOf(oldValue), oldValue.size(), gbk(QStringLiteral("二〇二六")));
    EXPECT_EQ(package.readBytes(QStringLiteral("a.ini")), expected);
    EXPECT_EQ(profile::readValue(package.path(QStringLiteral("a.ini")), QStringLiteral("Var"), QStringLiteral("1.5")),
              QStringLiteral("二〇二六"));
}

TEST(ProfileWriting, AddsAMissingKeyAfterTheLastEntryOfItsSection) {
    test::PackageFixture package;
    package.writeBytes(QStringLiteral("a.ini"), "[Var]\r\n1.1=a\r\n; note\r\n\r\n[SQL]\r\nName=x");
    profile::writeValue(package.path(QStringLiteral("a.ini")), QStringLiteral("VAR"), QStringLiteral("1.5"),
                        QStringLiteral("7"));
    profile::writeValue(package.path(QStringLiteral("a.ini")), QStringLiteral("SQL"), QStringLiteral("VarNum"),
                        QStringLiteral("1"));
    EXPECT_EQ(package.readBytes(QStringLiteral("a.ini")),
              QByteArray("[Var]\r\n1.1=a\r\n1.5=7\r\n; note\r\n\r\n[SQL]\r\nName=x\r\nVarNum=1"));
}

TEST(ProfileWriting, AddsAMissingSectionAtTheEndAndCreatesAMissingFile) {
    test::PackageFixture package;
    package.writeBytes(QStringLiteral("unix.ini"), "[SQL]\nName=x\n");
    profile::writeValue(package.path(QStringLiteral("unix.ini")), QStringLiteral("Var"), QStringLiteral("1.5"),
                        QStringLiteral("值"));
    EXPECT_EQ(package.readBytes(QStringLiteral("unix.ini")),
              QByteArray("[SQL]\nName=x\n[Var]\n1.5=") + gbk(QStringLiteral("值")) + "\n");
    profile::writeValue(package.path(QStringLiteral("new.ini")), QStringLiteral("Var"), QStringLiteral("1.5"),
                        QStringLiteral("1"));
    EXPECT_EQ(package.readBytes(QStringLiteral("new.ini")), QByteArray("[Var]\r\n1.5=1\r\n"));
}

TEST(ProfileWriting, Utf16FilesStayUtf16) {
    test::PackageFixture package;
    const QString text = QStringLiteral("[Var]\r\n1.5=旧\r\n");
    QByteArray bytes("\xFF\xFE", 2);
    bytes.append(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
    package.writeBytes(QStringLiteral("a.ini"), bytes);
    profile::writeValue(package.path(QStringLiteral("a.ini")), QStringLiteral("Var"), QStringLiteral("1.5"),
                        QStringLiteral("新值"));
    const QString expected = QStringLiteral("[Var]\r\n1.5=新值\r\n");
    QByteArray expectedBytes("\xFF\xFE", 2);
    expectedBytes.append(reinterpret_cast<const char*>(expected.utf16()), expected.size() * 2);
    EXPECT_EQ(package.readBytes(QStringLiteral("a.ini")), expectedBytes);
}

TEST(ProfileWriting, RefusesWhatTheFileCannotHoldAndLeavesItUntouched) {
    test::PackageFixture package;
    const QByteArray before("[Var]\r\n1.5=old\r\n");
    package.writeBytes(QStringLiteral("a.ini"), before);
    const QString file = package.path(QStringLiteral("a.ini"));
    EXPECT_THROW(profile::writeValue(file, QStringLiteral("Var"), QStringLiteral("1.5"), QStringLiteral("a\r\nb=c")),
                 Error);
    EXPECT_THROW(profile::writeValue(file, QStringLiteral("Var"), QStringLiteral("1.5"), QStringLiteral("😀")), Error);
    EXPECT_THROW(profile::writeValue(file, QStringLiteral("Var"), QStringLiteral("a=b"), QStringLiteral("1")), Error);
    EXPECT_THROW(profile::writeValue(file, QStringLiteral("V]ar"), QStringLiteral("1.5"), QStringLiteral("1")), Error);
    EXPECT_EQ(package.readBytes(QStringLiteral("a.ini")), before);
}

TEST(ProfileWriting, RefusesAUtf16FileEndingInHalfACharacter) {
    test::PackageFixture package;
    const QString text = QStringLiteral("[Var]\r\n1.5=旧");
    QByteArray before("\xFF\xFE", 2);
    before.append(reinterpret_cast<const char*>(text.utf16()), text.size() * 2).append('\0');
    package.writeBytes(QStringLiteral("a.ini"), before);
    const QString file = package.path(QStringLiteral("a.ini"));
    EXPECT_EQ(profile::readValue(file, QStringLiteral("Var"), QStringLiteral("1.5")), QStringLiteral("旧"));
    for (const QString& section : {QStringLiteral("Var"), QStringLiteral("参数")}) {
        try {
            profile::writeValue(file, section, QStringLiteral("1.5"), QStringLiteral("新值"));
            ADD_FAILURE() << "writing to [" << section.toStdString() << "] was not refused";
        } catch (const Error& error) {
            EXPECT_TRUE(error.message().contains(QStringLiteral("half a character"))) << error.message().toStdString();
        }
    }
    EXPECT_EQ(package.readBytes(QStringLiteral("a.ini")), before);
}

TEST(ProfileWriting, ReadOnlyFilesAreNotWrittenAndPermissionsAreKept) {
    test::PackageFixture package;
    package.writeBytes(QStringLiteral("a.ini"), "[Var]\r\n1.5=old\r\n");
    const QString file = package.path(QStringLiteral("a.ini"));
    QFile::setPermissions(file, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup);
    profile::writeValue(file, QStringLiteral("Var"), QStringLiteral("1.5"), QStringLiteral("new"));
    constexpr auto userBits = QFileDevice::ReadUser | QFileDevice::WriteUser | QFileDevice::ExeUser;
    EXPECT_EQ(QFile::permissions(file) & ~userBits,
              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup);

    QFile::setPermissions(file, QFileDevice::ReadOwner | QFileDevice::ReadUser);
    EXPECT_THROW(profile::writeValue(file, QStringLiteral("Var"), QStringLiteral("1.5"), QStringLiteral("x")), Error);
    EXPECT_EQ(package.readBytes(QStringLiteral("a.ini")), QByteArray("[Var]\r\n1.5=new\r\n"));
}
