#include "logic/params/ini_values.h"
#include "package_fixture.h"
#include "platform/error.h"
#include "platform/text/codepage.h"

#include <gtest/gtest.h>
#include <QFile>

using namespace tallomar;

namespace {

QString readVar(const QString& file, const QString& key) {
    return ReadIniValue(QStringLiteral("Var"), key, QString(), file);
}

}  // namespace

TEST(ReadIniValueCommentRule, TextFromDoubleSlashOnIsACommentAndTakesOneCharacterWithIt) {
    test::PackageFixture package;
    const QString file =
        package.writeFile(QStringLiteral("a.ini"), QStringLiteral("[Var]\n1=12 //count\n2=12//count\n3=http://host/x\n"
                                                                  "4=//all comment\n5=a//b//c\n6=no comment\n"));
    EXPECT_EQ(readVar(file, QStringLiteral("1")), QStringLiteral("12"));
    EXPECT_EQ(readVar(file, QStringLiteral("2")), QStringLiteral("1"));
    EXPECT_EQ(readVar(file, QStringLiteral("3")), QStringLiteral("http"));
    EXPECT_EQ(readVar(file, QStringLiteral("4")), QString());
    EXPECT_EQ(readVar(file, QStringLiteral("5")), QString());
    EXPECT_EQ(readVar(file, QStringLiteral("6")), QStringLiteral("no comment"));
}

TEST(ReadIniValueDefaults, MissingValuesAndFilesGiveTheDefault) {
    test::PackageFixture package;
    package.writeList(QStringLiteral("1.1=report.sql\n"), 1);
    const QString list = package.list().listFile;
    EXPECT_EQ(ReadIniValue(QStringLiteral("File"), QStringLiteral("1.1"), QString(), list),
              QStringLiteral("report.sql"));
    EXPECT_EQ(ReadIniValue(QStringLiteral("File"), QStringLiteral("9.1"), QStringLiteral(" fallback "), list),
              QStringLiteral("fallback"));
    EXPECT_EQ(ReadIniValue(QStringLiteral("File"), QStringLiteral("1.1"), QStringLiteral("none"), QString()),
              QStringLiteral("none"));
    EXPECT_EQ(ReadIniValue(QStringLiteral("File"), QStringLiteral("1.1"), QStringLiteral("x"),
                           package.path(QStringLiteral("missing.ini"))),
              QStringLiteral("x"));
}

TEST(ReadIniValueLimits, ValuesAreCutAt255CharactersAndKeepChineseText) {
    test::PackageFixture package;
    const QString longValue = QString(300, QLatin1Char('7'));
    const QString chinese = QStringLiteral("应收账款 年度结转");
    const QString file =
        package.writeFile(QStringLiteral("a.ini"), QStringLiteral("[Var]\n1=%1\n2=%2\n").arg(longValue, chinese));
    EXPECT_EQ(readVar(file, QStringLiteral("1")), QString(255, QLatin1Char('7')));
    EXPECT_EQ(readVar(file, QStringLiteral("2")), chinese);
}

TEST(StripChar, RemovesEveryCharacterWithTheGivenAnsiCode) {
    EXPECT_EQ(StripChar(QStringLiteral("a\0b\0"), 0), QStringLiteral("ab"));
    EXPECT_EQ(StripChar(QStringLiteral("a-b-c"), '-'), QStringLiteral("abc"));
    // "中" is D6 D0 in code page 936: its code is 0xD6D0 as a signed 16-bit number.
    EXPECT_EQ(StripChar(QStringLiteral("中文中"), static_cast<qint16>(0xD6D0)), QStringLiteral("文"));
    EXPECT_EQ(StripChar(QStringLiteral("中文"), 0), QStringLiteral("中文"));
}

TEST(ResolveSystemPathFolderWords, EachWordBecomesItsFolder) {
    test::PackageFixture package;
    const PackageList& list = package.list();
    const QString base = package.folder();
    EXPECT_EQ(ResolveSystemPath(list, QStringLiteral("windows\\tools")), base + QStringLiteral("/windows\\tools"));
    EXPECT_EQ(ResolveSystemPath(list, QStringLiteral("c:\\winnt\\cfg")), base + QStringLiteral("/windows\\cfg"));
    EXPECT_EQ(ResolveSystemPath(list, QStringLiteral("c:\\system32\\cfg")),
              base + QStringLiteral("/windows/system32\\cfg"));
    EXPECT_EQ(ResolveSystemPath(list, QStringLiteral("..\\config")), base + QStringLiteral("\\config"));
    EXPECT_EQ(ResolveSystemPath(list, QStringLiteral("d:\\tools\\config")), QStringLiteral("d:\\tools\\config"));
}

TEST(ResolveSystemPathFolderWords, WordsAreTriedInOrderAndLetterCaseCounts) {
    test::PackageFixture package;
    const PackageList& list = package.list();
    EXPECT_EQ(ResolveSystemPath(list, QStringLiteral("c:\\winnt\\system32")),
              WindowsFolder(list) + QStringLiteral("\\system32"));
    EXPECT_EQ(ResolveSystemPath(list, QStringLiteral("..\\a\\windows\\b")),
              WindowsFolder(list) + QStringLiteral("\\b"));
    EXPECT_EQ(ResolveSystemPath(list, QStringLiteral("C:\\WINNT\\cfg")), QStringLiteral("C:\\WINNT\\cfg"));
    EXPECT_EQ(SystemFolder(list), WindowsFolder(list) + QStringLiteral("/system32"));
}

TEST(WriteIniValue, LeavesTheFileReadOnlyAndEveryOtherByteUnchanged) {
    test::PackageFixture package;
    const QByteArray before =
        codepage::encodeGbk(QStringLiteral("[SQL]\r\nName=报表\r\n[Var]\r\n1.5=old\r\n1.6=x\r\n")).value();
    package.writeBytes(QStringLiteral("a.ini"), before);
    const QString file = package.path(QStringLiteral("a.ini"));
    WriteIniValue(QStringLiteral("Var"), QStringLiteral("1.5"), QStringLiteral("2026年"), file);

    QByteArray expected = before;
    expected.replace(expected.indexOf("old"), 3, codepage::encodeGbk(QStringLiteral("2026年")).value());
    EXPECT_EQ(package.readBytes(QStringLiteral("a.ini")), expected);
    EXPECT_FALSE(QFile::permissions(file).testAnyFlags(QFileDevice::WriteOwner | QFileDevice::WriteGroup |
                                                       QFileDevice::WriteOther));
    EXPECT_EQ(readVar(file, QStringLiteral("1.5")), QStringLiteral("2026年"));

    // A read-only file is still written, and stays read-only.
    WriteIniValue(QStringLiteral("Var"), QStringLiteral("1.6"), QStringLiteral("y"), file);
    EXPECT_EQ(readVar(file, QStringLiteral("1.6")), QStringLiteral("y"));
    EXPECT_FALSE(QFile::permissions(file).testFlag(QFileDevice::WriteOwner));
}

TEST(WriteIniValue, AFailedWriteKeepsTheOldContentAndSaysWhy) {
    test::PackageFixture package;
    package.writeBytes(QStringLiteral("a.ini"), "[Var]\r\n1.5=old\r\n");
    const QString file = package.path(QStringLiteral("a.ini"));
    try {
        WriteIniValue(QStringLiteral("Var"), QStringLiteral("1.5"), QStringLiteral("😀"), file);
        FAIL() << "a value code page 936 cannot store was written";
    } catch (const Error& error) {
        EXPECT_TRUE(error.message().contains(file)) << error.message().toStdString();
    }
    EXPECT_EQ(package.readBytes(QStringLiteral("a.ini")), QByteArray("[Var]\r\n1.5=old\r\n"));
    EXPECT_FALSE(QFile::permissions(file).testFlag(QFileDevice::WriteOwner));
}

TEST(WriteIniValue, AnEmptyFileNameIsRefusedWithTheValue) {
    try {
        WriteIniValue(QStringLiteral("Var"), QStringLiteral("1.5"), QStringLiteral("2026"), QString());
        FAIL() << "a value was written to no file";
    } catch (const Error& error) {
        EXPECT_TRUE(error.message().contains(QStringLiteral("[Var] 1.5=2026"))) << error.message().toStdString();
    }
}
