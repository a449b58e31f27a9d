// Confirming the login: the login test, the account-set connection, the
// settings stored or reset in the tool database file, and the hand-over to
// the main window.
#include "login_fixture.h"

#include "app/start_up.h"

#include <QFile>

namespace tallomar::test {
namespace {

using LoginConfirm = LoginTest;

// `settings` with the six login settings replaced.
QMap<QString, QVariant> withLogin(QMap<QString, QVariant> settings, const QString& server, const QString& user,
                                  const QString& password, const QString& account, const QString& year,
                                  const QString& edition) {
    settings.insert(QStringLiteral("ServerName"), server);
    settings.insert(QStringLiteral("UserName"), user);
    settings.insert(QStringLiteral("PassWord"), password);
    settings.insert(QStringLiteral("ZTName"), account);
    settings.insert(QStringLiteral("Year"), year);
    settings.insert(QStringLiteral("Soft"), edition);
    return settings;
}

TEST_F(LoginConfirm, UnchangedConfirmWritesBackTheLoadedSettingsAndOpensTheMainWindow) {
    openWindow();
    ASSERT_TRUE(saveBox().isChecked());
    click(button("cmdOK"));

    // The password the package held in plain text has moved to the
    // credential store; its row holds the blank that means none.
    QMap<QString, QVariant> expected = initialSettings();
    expected.insert(QStringLiteral("PassWord"), QStringLiteral(" "));
    EXPECT_EQ(savedSettings(), expected);
    EXPECT_EQ(storedPassword(), sandboxPassword());
    ASSERT_EQ(handOvers.size(), 1u);
    EXPECT_TRUE(handOvers[0].accountConnected);
    EXPECT_EQ(handOvers[0].databaseName, QStringLiteral("qvdata_001_2008"));
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(session().gZTName, QStringLiteral("001"));
    EXPECT_EQ(session().gSoft, QStringLiteral("R6 财务标准版"));
    EXPECT_TRUE(dialogs.shown().empty());
}

TEST_F(LoginConfirm, CancelClosesTheWindowWithoutLoggingIn) {
    openWindow();
    click(button("cmdCancel"));

    EXPECT_FALSE(window->isVisible());
    EXPECT_TRUE(handOvers.empty());
    EXPECT_EQ(session().cnAccount, nullptr);
    EXPECT_EQ(savedSettings(), initialSettings());
}

TEST_F(LoginConfirm, SaveCheckedStoresTheEnteredSettings) {
    addLogin("operator", "");
    setSetting(QStringLiteral("UserName"), QStringLiteral("operator"));
    setSetting(QStringLiteral("PassWord"), QVariant());
    openWindow();
    // Blanks around the server name reach neither the connections nor the
    // login test, but are stored as typed.
    const QString typed = QStringLiteral(" ") + sandbox().serverName() + QStringLiteral("  ");
    typeServerName(typed);
    choose(combo("cboSoft"), QStringLiteral("R3 财务普及版"));
    choose(combo("cboZT"), kAccount002);
    click(button("cmdOK"));

    EXPECT_EQ(savedSettings(), withLogin(initialSettings(), typed, QStringLiteral("operator"), QStringLiteral(" "),
                                         kAccount002, QStringLiteral("2008"), QStringLiteral("R3 财务普及版")));
    ASSERT_EQ(handOvers.size(), 1u);
    EXPECT_TRUE(handOvers[0].accountConnected);
    EXPECT_EQ(handOvers[0].databaseName, QStringLiteral("qvdata_002_2008"));
}

TEST_F(LoginConfirm, SaveUncheckedResetsTheSettingsForTheNextStart) {
    openWindow();
    QTest::mouseClick(&saveBox(), Qt::LeftButton);
    ASSERT_FALSE(saveBox().isChecked());
    choose(combo("cboZT"), kAccount002);
    click(button("cmdOK"));

    EXPECT_EQ(savedSettings(),
              withLogin(initialSettings(), QStringLiteral("(local)"), QStringLiteral("sa"), QStringLiteral(" "),
                        QStringLiteral(" "), QStringLiteral(" "), QStringLiteral(" ")));
    ASSERT_EQ(handOvers.size(), 1u);
    EXPECT_EQ(handOvers[0].databaseName, QStringLiteral("qvdata_002_2008"));

    const Session saved = savedSession();
    EXPECT_EQ(saved.gServerName, QStringLiteral("(local)"));
    EXPECT_EQ(saved.gUserName, QStringLiteral("sa"));
    EXPECT_EQ(saved.gPassWord, QString());
    EXPECT_EQ(saved.gZTName, QString());
    EXPECT_EQ(saved.gYear, QString());
    EXPECT_EQ(saved.gSoft, QString());
    EXPECT_EQ(saved.gToolName, QStringLiteral("凭证检查工具"));
}

TEST_F(LoginConfirm, SingleCompanyEditionStoresABlankYear) {
    setSetting(QStringLiteral("Soft"), QStringLiteral("QM 单机版"));
    setSetting(QStringLiteral("ZTName"), QStringLiteral("[qvdata_002_2008]江南食品贸易有限公司"));
    openWindow();
    click(button("cmdOK"));

    EXPECT_EQ(savedSettings(), withLogin(initialSettings(), sandbox().serverName(), QStringLiteral("sa"),
                                         QStringLiteral(" "), QStringLiteral("[qvdata_002_2008]江南食品贸易有限公司"),
                                         QStringLiteral(" "), QStringLiteral("QM 单机版")));
    ASSERT_EQ(handOvers.size(), 1u);
    EXPECT_TRUE(handOvers[0].accountConnected);
    EXPECT_EQ(handOvers[0].databaseName, QStringLiteral("qvdata_002_2008"));
    EXPECT_EQ(session().gZTName, QStringLiteral("qvdata_002_2008"));
}

TEST_F(LoginConfirm, ApostrophesInSavedValuesAreStoredWholeAndPreselectedAtTheNextStart) {
    addLogin("o'hara", "it's");
    seed("QVSystem",
         "INSERT INTO UA_Account VALUES ('004', 'O''Neil 商行');"
         "INSERT INTO UA_Account_sub VALUES ('004', 2010);");
    seed("qvdata_004_2010", "CREATE TABLE IF NOT EXISTS marker(a INT);");
    setSetting(QStringLiteral("UserName"), QStringLiteral("o'hara"));
    setSetting(QStringLiteral("PassWord"), QStringLiteral("it's"));
    openWindow();
    ASSERT_EQ(label("labReport").text(), QString());
    choose(combo("cboZT"), QStringLiteral("[004]O'Neil 商行"));
    click(button("cmdOK"));

    EXPECT_TRUE(dialogs.shown().empty());
    EXPECT_EQ(savedSettings(),
              withLogin(initialSettings(), sandbox().serverName(), QStringLiteral("o'hara"), QStringLiteral(" "),
                        QStringLiteral("[004]O'Neil 商行"), QStringLiteral("2010"), QStringLiteral("R6 财务标准版")));
    EXPECT_EQ(storedPassword(QStringLiteral("o'hara")), QStringLiteral("it's"));
    ASSERT_EQ(handOvers.size(), 1u);
    EXPECT_TRUE(handOvers[0].accountConnected);

    // The next start logs in with them, the password from the credential
    // store, and preselects the account set.
    reopenWindow();
    EXPECT_EQ(label("labReport").text(), QString());
    EXPECT_EQ(combo("cboZT").currentText(), QStringLiteral("[004]O'Neil 商行"));
    EXPECT_EQ(combo("cboYear").currentText(), QStringLiteral("2010"));
}

TEST_F(LoginConfirm, LeavingTheServerBoxForTheConfirmButtonRunsBeforeTheLogin) {
    // Only a login without a password survives the focus change, which
    // forgets the password.
    addLogin("operator", "");
    setSetting(QStringLiteral("UserName"), QStringLiteral("operator"));
    setSetting(QStringLiteral("PassWord"), QVariant());
    setSetting(QStringLiteral("ServerName"), kNoServer);
    openWindow();
    ASSERT_EQ(combo("cboZT").count(), 0);

    // Typed but not yet taken: only leaving the box reloads the lists from
    // this server, and the login needs those lists.
    typeServerName(sandbox().serverName());
    ASSERT_EQ(session().gServerName, kNoServer);
    click(button("cmdOK"));

    EXPECT_TRUE(dialogs.shown().empty());
    EXPECT_EQ(session().gServerName, sandbox().serverName());
    ASSERT_EQ(handOvers.size(), 1u);
    EXPECT_TRUE(handOvers[0].accountConnected);
    EXPECT_EQ(handOvers[0].databaseName, QStringLiteral("qvdata_001_2008"));
    EXPECT_EQ(savedSettings().value(QStringLiteral("ServerName")), sandbox().serverName());
}

TEST_F(LoginConfirm, PasswordForgottenOnLeavingTheServerBoxIsMissingFromTheLoginTest) {
    openWindow();
    serverBox().setFocus(Qt::TabFocusReason);
    dialogs.acceptMessage();
    click(button("cmdOK"));

    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_TRUE(dialogs.shown()[0].text.startsWith(kLoginRejected + u'\n' + refusedReason()))
        << dialogs.shown()[0].text;
    EXPECT_TRUE(handOvers.empty());
}

TEST_F(LoginConfirm, RejectedLoginShowsTheMessageAndKeepsTheWindowOpen) {
    openWindow();
    // A key in the server box forgets the password; the lists stay.
    serverBox().setFocus(Qt::TabFocusReason);
    QTest::keyClick(&serverBox(), Qt::Key_Return);
    dialogs.acceptMessage();
    click(button("cmdOK"));

    ASSERT_EQ(dialogs.shown().size(), 1u);
    // The documented words, then the server's: the password was refused.
    EXPECT_TRUE(dialogs.shown()[0].text.startsWith(kLoginRejected + u'\n' + refusedReason()))
        << dialogs.shown()[0].text;
    EXPECT_EQ(dialogs.shown()[0].icon, MessageIcon::Question);
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(handOvers.empty());
    EXPECT_EQ(session().cnAccount, nullptr);
    EXPECT_EQ(savedSettings(), initialSettings());
    EXPECT_EQ(combo("cboZT").currentText(), kAccount001);
}

TEST_F(LoginConfirm, UnreachableAccountSetDatabaseStillOpensTheMainWindowWithoutTheConnection) {
    // An account set whose database the server does not hold.
    seed("QVSystem",
         "INSERT INTO UA_Account VALUES ('009', '未建库公司');"
         "INSERT INTO UA_Account_sub VALUES ('009', 2011);");
    setSetting(QStringLiteral("ZTName"), QStringLiteral("[009]未建库公司"));
    openWindow();
    ASSERT_EQ(combo("cboYear").currentText(), QStringLiteral("2011"));
    dialogs.acceptMessage();
    click(button("cmdOK"));

    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(dialogs.shown()[0].title, QStringLiteral("服务连接出错提示"));
    // The documented words, then the server's, which name the database.
    EXPECT_TRUE(dialogs.shown()[0].text.startsWith(kConnectionFailed + u'\n')) << dialogs.shown()[0].text;
    EXPECT_TRUE(dialogs.shown()[0].text.contains(QStringLiteral("Cannot open database \"qvdata_009_2011\"")))
        << dialogs.shown()[0].text;
    EXPECT_EQ(dialogs.shown()[0].icon, MessageIcon::Exclamation);
    ASSERT_EQ(handOvers.size(), 1u);
    EXPECT_FALSE(handOvers[0].accountConnected);
    EXPECT_EQ(handOvers[0].databaseName, QStringLiteral("qvdata_009_2011"));
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(savedSettings().value(QStringLiteral("ZTName")), QStringLiteral("[009]未建库公司"));
    EXPECT_EQ(savedSettings().value(QStringLiteral("Year")), QStringLiteral("2011"));
}

TEST_F(LoginConfirm, NoAccountSetToLogInToRefusesTheLogin) {
    seed("QVSystem", "DELETE FROM UA_Account;");
    openWindow();
    ASSERT_EQ(combo("cboZT").count(), 0);
    dialogs.acceptMessage();
    click(button("cmdOK"));

    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(dialogs.shown()[0].text, QStringLiteral("没有选择帐套，不能登录！"));
    EXPECT_TRUE(handOvers.empty());
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(savedSettings(), initialSettings());
}

TEST_F(LoginConfirm, FailedSettingsSaveIsReportedAndTheLoginGoesOn) {
    openWindow();
    // Another program holding the tool database open: the update is refused.
    QFile lock(packageFolder() + QStringLiteral("/ZOL.ldb"));
    ASSERT_TRUE(lock.open(QIODevice::WriteOnly));
    lock.close();
    choose(combo("cboZT"), kAccount002);
    dialogs.acceptMessage();
    click(button("cmdOK"));

    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(dialogs.shown()[0].text,
              QStringLiteral("登录继续进行，但设置未能保存：工具数据库正被另一个程序修改，请稍后再试"));
    EXPECT_EQ(dialogs.shown()[0].icon, MessageIcon::Exclamation);
    ASSERT_EQ(handOvers.size(), 1u);
    EXPECT_TRUE(handOvers[0].accountConnected);
    EXPECT_EQ(handOvers[0].databaseName, QStringLiteral("qvdata_002_2008"));
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(savedSettings(), initialSettings());
}

}  // namespace
}  // namespace tallomar::test
