#include "logic/params/cls_sql.h"
#include "platform/error.h"

#include <gtest/gtest.h>

using namespace tallomar;

namespace {

const QString kTwoParameters = QStringLiteral("@name,Balance,余额检查;@1,year,年度,int,True,2026;@2,note,备注,char,0");

}  // namespace

TEST(ClsSQLHead, TakesTheNamesAndEachDeclarationApart) {
    ClsSQL sql;
    sql.setPsSQLText(QStringLiteral("  ") + kTwoParameters + QStringLiteral("  "));
    EXPECT_EQ(sql.sqlText(), kTwoParameters);
    EXPECT_EQ(sql.englishName(), QStringLiteral("Balance"));
    EXPECT_EQ(sql.chineseName(), QStringLiteral("余额检查"));
    ASSERT_EQ(sql.parameters().size(), 3u);
    EXPECT_EQ(sql.parameters()[0].name, QString());
    const SqlParameter& year = sql.parameters()[1];
    EXPECT_EQ(year.name, QStringLiteral("year"));
    EXPECT_EQ(year.displayName, QStringLiteral("年度"));
    EXPECT_EQ(year.type, QStringLiteral("int"));
    EXPECT_TRUE(year.required);
    EXPECT_EQ(year.value, QStringLiteral("2026"));
    const SqlParameter& note = sql.parameters()[2];
    EXPECT_EQ(note.name, QStringLiteral("note"));
    EXPECT_FALSE(note.required);
    EXPECT_EQ(note.value, QString()) << "a declaration of four fields has no value";
}

TEST(ClsSQLHead, TheHeadEndsOneCharacterBeforeTheNextMarker) {
    ClsSQL sql;
    sql.setPsSQLText(QStringLiteral("@name, E , C X@1, a , b , c , -1 , v "));
    EXPECT_EQ(sql.englishName(), QStringLiteral("E"));
    EXPECT_EQ(sql.chineseName(), QStringLiteral("C"));
    EXPECT_EQ(sql.parameters()[1].name, QStringLiteral("a"));
    EXPECT_TRUE(sql.parameters()[1].required);
    EXPECT_EQ(sql.parameters()[1].value, QStringLiteral("v"));
}

TEST(ClsSQLHead, AnAtSignInAScriptNameIsTakenForTheLastMarker) {
    ClsSQL sql;
    sql.setPsSQLText(QStringLiteral("@name,E,C;@1,@year,Y,int,1"));
    EXPECT_EQ(sql.parameters().size(), 1u) << "\"@year\" is the last marker and names no number";
}

TEST(ClsSQLHead, AHeadWhoseLastMarkerIsNameDeclaresNoParameters) {
    ClsSQL sql;
    sql.setPsSQLText(QStringLiteral("@name,E,C;@name,again"));
    EXPECT_EQ(sql.englishName(), QStringLiteral("E"));
    ASSERT_EQ(sql.parameters().size(), 1u);
    EXPECT_EQ(sql.parameters()[0].name, QString());
}

TEST(ClsSQLCheck, EmptyOrUnnamedTextsOnlyClearTheFlag) {
    ClsSQL sql;
    sql.setPsSQLText(kTwoParameters);
    sql.setRight(true);
    sql.setPsSQLText(QStringLiteral("   "));
    EXPECT_FALSE(sql.isRight());
    EXPECT_EQ(sql.englishName(), QStringLiteral("Balance"));
    EXPECT_EQ(sql.parameters().size(), 3u);

    sql.setRight(true);
    sql.setPsSQLText(QStringLiteral("select 1 @1,a,b,c,1"));
    EXPECT_FALSE(sql.isRight());
    EXPECT_EQ(sql.chineseName(), QStringLiteral("余额检查"));
    EXPECT_EQ(sql.parameters()[1].name, QStringLiteral("year"));
    EXPECT_EQ(sql.sqlText(), QStringLiteral("select 1 @1,a,b,c,1"));
}

TEST(ClsSQLMarkers, TenParametersInAscendingOrderAllParse) {
    QString text = QStringLiteral("@name,E,C;");
    for (int i = 1; i <= 10; ++i) text += QStringLiteral("@%1,p%1,P%1,char,0,v%1;").arg(i);
    text.chop(1);
    ClsSQL sql;
    sql.setPsSQLText(text);
    ASSERT_EQ(sql.parameters().size(), 11u);
    for (int i = 1; i <= 10; ++i) {
        EXPECT_EQ(sql.parameters()[static_cast<std::size_t>(i)].name, QStringLiteral("p%1").arg(i));
        EXPECT_EQ(sql.parameters()[static_cast<std::size_t>(i)].value, QStringLiteral("v%1").arg(i));
    }
}

TEST(ClsSQLMarkers, TheSearchForAtOneAlsoMatchesAtTen) {
    ClsSQL sql;
    sql.setPsSQLText(QStringLiteral("@name,E,C;@10,j,J,char,0,ten;@1,a,A,char,0,one"));
    ASSERT_EQ(sql.parameters().size(), 2u);
    // "@1" is first found at "@10": record 1 is read from there, starting at its comma.
    EXPECT_EQ(sql.parameters()[1].name, QStringLiteral(",j"));
    EXPECT_EQ(sql.parameters()[1].displayName, QStringLiteral("J"));
    EXPECT_EQ(sql.parameters()[1].value, QStringLiteral("ten;@1"));
}

TEST(ClsSQLFormatFaults, NoMarkerAfterTheHeadFailsAfterStoringTheText) {
    ClsSQL sql;
    EXPECT_THROW(sql.setPsSQLText(QStringLiteral("@name,E,C")), Error);
    EXPECT_EQ(sql.sqlText(), QStringLiteral("@name,E,C"));
    EXPECT_EQ(sql.englishName(), QString());
}

TEST(ClsSQLFormatFaults, AHeadWithFewerThanTwoCommasFails) {
    ClsSQL sql;
    EXPECT_THROW(sql.setPsSQLText(QStringLiteral("@name,E;@1,a,b,c,1")), Error);
    EXPECT_EQ(sql.englishName(), QString());
    // The second name fails after the first one is set: the first keeps it.
    EXPECT_THROW(sql.setPsSQLText(QStringLiteral("@name,Eng,@1,a,b,c,1")), Error);
    EXPECT_EQ(sql.englishName(), QStringLiteral("Eng"));
}

TEST(ClsSQLFormatFaults, ADeclarationWithFewerThanFourCommasFails) {
    ClsSQL sql;
    EXPECT_THROW(sql.setPsSQLText(QStringLiteral("@name,E,C;@1,a,b,c,1,v;@2,a,b,c")), Error);
    EXPECT_EQ(sql.chineseName(), QStringLiteral("C"));
    ASSERT_EQ(sql.parameters().size(), 3u);
    EXPECT_EQ(sql.parameters()[1].value, QStringLiteral("v")) << "records before the fault keep their values";
    EXPECT_THROW(sql.setPsSQLText(QStringLiteral("@name,E,C;@1,a,,c,1")), Error) << "every field needs a character";
}

TEST(ClsSQLFormatFaults, ARequiredFlagMustBeABooleanText) {
    ClsSQL sql;
    EXPECT_THROW(sql.setPsSQLText(QStringLiteral("@name,E,C;@1,a,b,c,yes")), Error);
    sql.setPsSQLText(QStringLiteral("@name,E,C;@1,a,b,c,FALSE;@2,a,b,c,0.5"));
    EXPECT_FALSE(sql.parameters()[1].required);
    EXPECT_TRUE(sql.parameters()[2].required);
}

TEST(ClsSQLFill, PlaceholdersTakeTheirValuesAsSqlLiterals) {
    ClsSQL sql;
    sql.setPsSQLText(
        QStringLiteral("@name,E,C;@1,year,年度,int,1,2026;@2,who,姓名,char,1,O'Brien;"
                       "@3,day,日期,smalldatetime,0,2026/1/5;@4,rate,比率,float,0;@5,memo,备注,2,0"));
    EXPECT_EQ(sql.fillPlaceholders(QStringLiteral("select * from t where y=@YEAR and n=@who and d=@day "
                                                  "and r=@rate and m=@memo and @yearEnd=1 and x='@years'")),
              QStringLiteral("select * from t where y=2026 and n='O''Brien' and d='2026/1/5' "
                             "and r=NULL and m='' and @yearEnd=1 and x='@years'"));
    sql.setParameterValue(4, QStringLiteral("-0.25"));
    EXPECT_EQ(sql.fillPlaceholders(QStringLiteral("r=@rate")), QStringLiteral("r=-0.25"));
}

TEST(ClsSQLFill, RefusesMissingRequiredValuesAndNonNumbers) {
    ClsSQL sql;
    sql.setPsSQLText(QStringLiteral("@name,E,C;@1,year,年度,int,1"));
    EXPECT_THROW(sql.fillPlaceholders(QStringLiteral("y=@year")), Error);
    sql.setParameterValue(1, QStringLiteral("1; drop table t"));
    EXPECT_THROW(sql.fillPlaceholders(QStringLiteral("y=@year")), Error);
    EXPECT_THROW(sql.setParameterValue(2, QStringLiteral("1")), Error);
}
