#include "logic/params/parameter_sheet.h"
#include "logic/params/parameter_types.h"
#include "package_fixture.h"

#include <gtest/gtest.h>

using namespace tallomar;
using namespace tallomar::parameter_sheet;

TEST(ParameterCount, TakesTheLeadingNumberRoundedHalfToEven) {
    EXPECT_EQ(parameterCount(QStringLiteral("2.5")), 2);
    EXPECT_EQ(parameterCount(QStringLiteral("3.5")), 4);
    EXPECT_EQ(parameterCount(QStringLiteral("  3")), 3);
    EXPECT_EQ(parameterCount(QStringLiteral("4 parameters")), 4);
    EXPECT_EQ(parameterCount(QStringLiteral("1e1")), 10);
    EXPECT_EQ(parameterCount(QStringLiteral("abc")), 0);
    EXPECT_EQ(parameterCount(QString()), 0);
    EXPECT_EQ(parameterCount(QStringLiteral("-2")), 0);
    EXPECT_EQ(parameterCount(QStringLiteral("99999")), 32767);
}

TEST(TypeWords, CodesAndWordsInAnyCaseGiveTheirDisplayWord) {
    EXPECT_EQ(GetTypeName(QStringLiteral("INT")), QStringLiteral("整数"));
    EXPECT_EQ(GetTypeName(QStringLiteral("Long")), QStringLiteral("整数"));
    EXPECT_EQ(GetTypeName(QStringLiteral("1")), QStringLiteral("整数"));
    EXPECT_EQ(GetTypeName(QStringLiteral("Double")), QStringLiteral("实数"));
    EXPECT_EQ(GetTypeName(QStringLiteral("5")), QStringLiteral("实数"));
    EXPECT_EQ(GetTypeName(QStringLiteral("ValChar")), QStringLiteral("字符"));
    EXPECT_EQ(GetTypeName(QStringLiteral("2")), QStringLiteral("字符"));
    EXPECT_EQ(GetTypeName(QStringLiteral("SmallDateTime")), QStringLiteral("短日期"));
    EXPECT_EQ(GetTypeName(QStringLiteral("3")), QStringLiteral("短日期"));
    EXPECT_EQ(GetTypeName(QStringLiteral("DateTime")), QStringLiteral("长日期"));
    EXPECT_EQ(GetTypeName(QStringLiteral("4")), QString());
    EXPECT_EQ(GetTypeName(QStringLiteral("number")), QString());
    EXPECT_TRUE(isDateType(GetTypeName(QStringLiteral("datetime"))));
    EXPECT_FALSE(isDateType(GetTypeName(QStringLiteral("char"))));
}

// Numbers take every character a number is written with, wherever it
// stands: a mistyped number reaches the check on leaving the cell whole.
TEST(KeyFilter, NumbersTakeTheCharactersOfNumbersAndIntegersNoZeroBeforeTheirDigits) {
    const QString integer = kIntegerType;
    EXPECT_FALSE(keyAccepted(u'0', integer, QStringLiteral("12"), 0, 0)) << "a zero before the digits";
    EXPECT_FALSE(keyAccepted(u'0', integer, QStringLiteral("12"), 0, 1)) << "the same, over the first digit";
    EXPECT_TRUE(keyAccepted(u'0', integer, QString(), 0, 0)) << "0 itself";
    EXPECT_TRUE(keyAccepted(u'0', integer, QStringLiteral("12"), 0, 2)) << "typed over the whole value: 0 itself";
    EXPECT_TRUE(keyAccepted(u'0', integer, QStringLiteral("-"), 0, 0)) << "no digit follows";
    EXPECT_TRUE(keyAccepted(u'0', integer, QStringLiteral("1"), 1, 0));
    EXPECT_TRUE(keyAccepted(u'0', kRealType, QStringLiteral("5"), 0, 0)) << "reals keep their leading zero";
    for (const QString& type : {kIntegerType, kRealType}) {
        for (const char16_t code : {u'7', u'-', u'+', u'.', u'e', u'E', u',', char16_t(13), char16_t(8)})
            EXPECT_TRUE(keyAccepted(code, type, QStringLiteral("1.5"), 1, 0)) << type.toStdString() << " " << int(code);
        for (const char16_t code : {u'a', u'x', u' ', u'中', char16_t(22)})
            EXPECT_FALSE(keyAccepted(code, type, QStringLiteral("1"), 1, 0)) << type.toStdString() << " " << int(code);
    }
}

TEST(KeyFilter, OtherTypesTakeEveryKey) {
    for (const QString& type : {kCharacterType, kShortDateType, QString()}) {
        EXPECT_TRUE(keyAccepted(u'0', type, QString(), 0, 0));
        EXPECT_TRUE(keyAccepted(u'x', type, QStringLiteral("00"), 2, 0));
        EXPECT_TRUE(keyAccepted(u'中', type, QString(), 0, 0));
    }
}

TEST(DoneMarks, AtLoadOnlyRequiredEmptyValuesCountAndBlanksAreFilled) {
    EXPECT_FALSE(completeAtLoad({{kRequired, QString()}}));
    EXPECT_TRUE(completeAtLoad({{kOptional, QString()}}));
    EXPECT_TRUE(completeAtLoad({{kRequired, QStringLiteral(" ")}}));
    EXPECT_TRUE(completeAtLoad({}));
    EXPECT_FALSE(completeAtLoad({{kRequired, QStringLiteral("1")}, {kRequired, QString()}}));
}

TEST(DoneMarks, AfterAnEditEveryValueCountsAndBlanksAreEmpty) {
    EXPECT_FALSE(completeAfterEdit({QStringLiteral("1"), QString()}));
    EXPECT_FALSE(completeAfterEdit({QStringLiteral(" ")}));
    EXPECT_TRUE(completeAfterEdit({QStringLiteral("1"), QStringLiteral("\t")}));
}

TEST(ParameterRows, EachParameterBecomesOneTabSeparatedRow) {
    test::PackageFixture package;
    const QString file = package.writeFile(
        QStringLiteral("a.ini"),
        QStringLiteral("[Var]\n1.1=year\n1.2=年度\n1.3=INT\n1.4=1\n1.5=2026\n2.1=memo\n2.2=备注\n2.3=text\n2.4=yes\n"));
    EXPECT_EQ(parameterRows(file, 3),
              (QStringList{QStringLiteral("year\t年度\t整数\t否\t2026"), QStringLiteral("memo\t备注\t\t是\t"),
                           QStringLiteral("\t\t\t是\t")}));
    EXPECT_EQ(parameterKey(12, 5), QStringLiteral("12.5"));
}
