// The three cascading lists of the login window: editions from the tool
// database, account sets and years from the server, the saved choices
// preselected, and each change refreshing the lists after it.
#include "login_fixture.h"

namespace tallomar::test {
namespace {

using LoginLists = LoginTest;

const QStringList kNetworkAccounts = {
    QStringLiteral("[001]华北机械制造有限公司"), QStringLiteral("[002]江南食品贸易有限公司"),
    QStringLiteral("[003]东海物流服务有限公司"), QStringLiteral("[005]西山建材有限公司"),
    QStringLiteral("[006]南岭电子科技有限公司")};
const QStringList kSingleCompanyAccounts = {QStringLiteral("[qvdata_001_2008]华北机械制造有限公司"),
                                            QStringLiteral("[qvdata_002_2008]江南食品贸易有限公司")};

TEST_F(LoginLists, LoadPreselectsTheSavedEditionAccountSetAndYear) {
    seed("QVSystem", "INSERT INTO UA_Account_sub VALUES ('002', 2006);");
    setSetting(QStringLiteral("ZTName"), kAccount002);
    openWindow();

    EXPECT_EQ(entries(combo("cboSoft")), (QStringList{QStringLiteral("R3 财务普及版"), QStringLiteral("R6 财务标准版"),
                                                      QStringLiteral("QM 单机版")}));
    EXPECT_EQ(combo("cboSoft").currentText(), QStringLiteral("R6 财务标准版"));
    EXPECT_EQ(entries(combo("cboZT")), kNetworkAccounts);
    EXPECT_EQ(combo("cboZT").currentText(), kAccount002);
    // 9999 is never offered; years ascend.
    EXPECT_EQ(entries(combo("cboYear")), (QStringList{QStringLiteral("2006"), QStringLiteral("2008")}));
    EXPECT_EQ(combo("cboYear").currentText(), QStringLiteral("2008"));

    EXPECT_EQ(serverBox().text(), sandbox().serverName());
    EXPECT_TRUE(button("cmdPassword").isHidden());
    EXPECT_TRUE(button("cmdOK").isEnabled());
    EXPECT_FALSE(combo("cboYear").isHidden());
    EXPECT_FALSE(label("labYear").isHidden());
    EXPECT_EQ(label("labReport").text(), QString());
    EXPECT_TRUE(dialogs.shown().empty());
}

TEST_F(LoginLists, SavedChoicesNoLongerOfferedFallBackToTheFirstEntries) {
    setSetting(QStringLiteral("Soft"), QStringLiteral("W6 停用版"));  // disabled in Version
    // Same id as an account set, but its name has changed since.
    setSetting(QStringLiteral("ZTName"), QStringLiteral("[002]江南食品公司"));
    setSetting(QStringLiteral("Year"), QStringLiteral("1999"));
    openWindow();

    EXPECT_EQ(combo("cboSoft").currentText(), QStringLiteral("R3 财务普及版"));
    EXPECT_EQ(combo("cboZT").currentText(), kAccount001);
    EXPECT_EQ(combo("cboYear").currentText(), QStringLiteral("2007"));
    EXPECT_FALSE(combo("cboYear").isHidden());
    EXPECT_TRUE(button("cmdOK").isEnabled());
}

TEST_F(LoginLists, WithoutAnEnabledFirstGradeEditionTheEnabledHigherGradesAreOfferedInIdOrder) {
    editions = {{QStringLiteral("R6 一级停用"), 1, false, 1},
                {QStringLiteral("R6 二级乙"), 2, true, 9},
                {QStringLiteral("R3 三级停用"), 3, false, 2},
                {QStringLiteral("R3 二级甲"), 2, true, 4}};
    setSetting(QStringLiteral("Soft"), QStringLiteral("R6 二级乙"));
    openWindow();

    EXPECT_EQ(entries(combo("cboSoft")), (QStringList{QStringLiteral("R3 二级甲"), QStringLiteral("R6 二级乙")}));
    EXPECT_EQ(combo("cboSoft").currentText(), QStringLiteral("R6 二级乙"));
    EXPECT_EQ(entries(combo("cboZT")), kNetworkAccounts);
}

TEST_F(LoginLists, AccountSetWithOnlyThePlaceholderYearDisablesConfirmUntilAnotherIsChosen) {
    setSetting(QStringLiteral("ZTName"), kAccount003);
    dialogs.acceptMessage();
    openWindow();

    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(dialogs.shown()[0].text, kNoYears);
    EXPECT_EQ(dialogs.shown()[0].icon, MessageIcon::None);
    EXPECT_EQ(combo("cboZT").currentText(), kAccount003);
    EXPECT_EQ(combo("cboYear").count(), 0);
    EXPECT_FALSE(button("cmdOK").isEnabled());

    choose(combo("cboZT"), kAccount002);
    EXPECT_EQ(entries(combo("cboYear")), QStringList{QStringLiteral("2008")});
    EXPECT_TRUE(button("cmdOK").isEnabled());
    EXPECT_EQ(dialogs.shown().size(), 1u);

    dialogs.acceptMessage();
    choose(combo("cboZT"), kAccount003);
    EXPECT_EQ(dialogs.shown().size(), 2u);
    EXPECT_EQ(combo("cboYear").count(), 0);
    EXPECT_FALSE(button("cmdOK").isEnabled());
}

TEST_F(LoginLists, NoAccountSetOnTheServerIsReportedInTheStatusLine) {
    seed("QVSystem", "DELETE FROM UA_Account;");
    openWindow();

    EXPECT_EQ(label("labReport").text(), QStringLiteral("没有可供导入的帐套，请先新建帐套！"));
    EXPECT_EQ(combo("cboZT").count(), 0);
    EXPECT_EQ(combo("cboSoft").currentText(), QStringLiteral("R6 财务标准版"));
    EXPECT_TRUE(button("cmdPassword").isHidden());
}

TEST_F(LoginLists, SingleCompanyEditionListsTheMasterAccountSetsAndHidesTheYear) {
    setSetting(QStringLiteral("Soft"), QStringLiteral("QM 单机版"));
    setSetting(QStringLiteral("ZTName"), kSingleCompanyAccounts[1]);
    openWindow();

    EXPECT_TRUE(label("labYear").isHidden());
    EXPECT_TRUE(combo("cboYear").isHidden());
    EXPECT_EQ(entries(combo("cboZT")), kSingleCompanyAccounts);
    EXPECT_EQ(combo("cboZT").currentText(), kSingleCompanyAccounts[1]);
    EXPECT_EQ(combo("cboYear").count(), 0);
    EXPECT_TRUE(button("cmdOK").isEnabled());
    for (const std::string& batch : sandbox().server().receivedBatches())
        EXPECT_EQ(batch.find("UA_Account_sub"), std::string::npos) << batch;
}

TEST_F(LoginLists, ChoosingAnotherEditionFamilyRelistsTheAccountSetsAndShowsOrHidesTheYear) {
    openWindow();

    choose(combo("cboSoft"), QStringLiteral("QM 单机版"));
    EXPECT_TRUE(combo("cboYear").isHidden());
    EXPECT_TRUE(label("labYear").isHidden());
    EXPECT_EQ(entries(combo("cboZT")), kSingleCompanyAccounts);
    EXPECT_EQ(combo("cboZT").currentText(), kSingleCompanyAccounts[0]);
    EXPECT_EQ(label("labReport").text(), QString());

    choose(combo("cboSoft"), QStringLiteral("R3 财务普及版"));
    EXPECT_FALSE(combo("cboYear").isHidden());
    EXPECT_FALSE(label("labYear").isHidden());
    EXPECT_EQ(entries(combo("cboZT")), kNetworkAccounts);
    EXPECT_EQ(combo("cboZT").currentText(), kAccount001);
    EXPECT_EQ(combo("cboYear").currentText(), QStringLiteral("2008"));
    EXPECT_TRUE(dialogs.shown().empty());
}

TEST_F(LoginLists, SingleCompanyEditionKeepsConfirmDisabledWhenItWas) {
    setSetting(QStringLiteral("ZTName"), kAccount003);
    dialogs.acceptMessage();
    openWindow();
    ASSERT_FALSE(button("cmdOK").isEnabled());

    choose(combo("cboSoft"), QStringLiteral("QM 单机版"));
    EXPECT_TRUE(combo("cboYear").isHidden());
    EXPECT_EQ(entries(combo("cboZT")), kSingleCompanyAccounts);
    EXPECT_FALSE(button("cmdOK").isEnabled());
}

TEST_F(LoginLists, ChangingBetweenNetworkEditionsRelistsOnTheOpenConnection) {
    openWindow();
    // Enter in the server box forgets the password without reloading: a new
    // system connection would now be refused.
    serverBox().setFocus(Qt::TabFocusReason);
    QTest::keyClick(&serverBox(), Qt::Key_Return);
    ASSERT_EQ(session().gPassWord, QString());
    clearReceived();

    choose(combo("cboSoft"), QStringLiteral("R3 财务普及版"));
    EXPECT_TRUE(accountSetsListed());
    EXPECT_EQ(entries(combo("cboZT")), kNetworkAccounts);
    EXPECT_EQ(combo("cboZT").currentText(), kAccount001);
    EXPECT_EQ(entries(combo("cboYear")), (QStringList{QStringLiteral("2007"), QStringLiteral("2008")}));
    EXPECT_EQ(label("labReport").text(), QString());
    EXPECT_TRUE(button("cmdPassword").isHidden());
}

}  // namespace
}  // namespace tallomar::test
