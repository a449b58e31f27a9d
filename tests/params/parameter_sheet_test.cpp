#include "package_fixture.h"
#include "logic/params/parameter_sheet.h"
#include "logic/params/parameter_types.h"

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

TEST(KeyFilter, IntegersTakeDigitsALeadingMinusAndNoLeadingZero) {
    const QString integer = kIntegerType;
    EXPECT_FALSE(keyAccepted(u'0', integer, QString(), 0, 0));
    EXPECT_FALSE(keyAccepted(u'0', integer, QStringLiteral("12"), 0, 2)) << "whole text selected";
    EXPECT_TRUE(keyAccepted(u'0', integer, QStringLiteral("1"), 1, 0));
    EXPECT_TRUE(keyAccepted(u'7', integer, QString(), 0, 0));
    EXPECT_TRUE(keyAccepted(u'-', integer, QStringLiteral("12"), 0, 0));
    EXPECT_FALSE(keyAccepted(u'-', integer, QStringLiteral("12"), 1, 0));
    EXPECT_FALSE(keyAccepted(u'-', integer, QStringLiteral("-12"), 0, 0));
    EXPECT_FALSE(keyAccepted(u'.', integer, QStringLiteral("12"), 2, 0));
    EXPECT_FALSE(keyAccepted(u'a', integer, QString(), 0, 0));
    EXPECT_TRUE(keyAccepted(13, integer, QString(), 0, 0));
    EXPECT_TRUE(keyAccepted(8, integer, QStringLiteral("1"), 1, 0));
}

TEST(KeyFilter, RealsTakeOneDecimalPointAndALeadingZero) {
    const QString real = kRealType;
    EXPECT_TRUE(keyAccepted(u'0', real, QString(), 0, 0));
    EXPECT_TRUE(keyAccepted(u'.', real, QStringLiteral("0"), 1, 0));
    EXPECT_FALSE(keyAccepted(u'.', real, QStringLiteral("0.5"), 3, 0));
    EXPECT_TRUE(keyAccepted(u'.', real, QStringLiteral("0.5"), 0, 3)) << "replaces the selected point";
    EXPECT_TRUE(keyAccepted(u'-', real, QStringLiteral("0.5"), 0, 0));
    EXPECT_FALSE(keyAccepted(u'-', real, QStringLiteral("0.5"), 2, 0));
    EXPECT_FALSE(keyAccepted(u'e', real, QStringLiteral("1"), 1, 0));
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
