// The server box and the password button: a failed system connection, the
// password entered through the input box, and the keys and focus changes of
// the server box that forget the password and reload the lists.
#include "login_fixture.h"

#include <QInputDialog>

namespace tallomar::test {
namespace {

using LoginServer = LoginTest;

class NotConnected : public LoginTest {
protected:
    // Refused by the server: the documented words, then the driver's.
    void expectNotConnectedWindow() {
        EXPECT_EQ(label("labReport").text(), kConnectionFailed + u'\n' + refusedReason(session().gUserName));
        EXPECT_FALSE(button("cmdPassword").isHidden());
        EXPECT_EQ(combo("cboSoft").count(), 0);
        EXPECT_EQ(combo("cboZT").count(), 0);
        EXPECT_EQ(combo("cboYear").count(), 0);
        EXPECT_EQ(session().gPassWord, QString());
    }
    void expectConnectedWindow() {
        EXPECT_EQ(label("labReport").text(), QString());
        EXPECT_TRUE(button("cmdPassword").isHidden());
        EXPECT_EQ(combo("cboSoft").currentText(), QStringLiteral("R6 财务标准版"));
        EXPECT_EQ(combo("cboZT").count(), 5);
        EXPECT_EQ(combo("cboZT").currentText(), kAccount001);
        EXPECT_EQ(combo("cboYear").currentText(), QStringLiteral("2008"));
    }
    // Answers the password box with `password`, checking that it asks for
    // the password with an empty title and default and hides what is typed.
    void answerPassword(const QString& password) {
        dialogs.answer([password](QDialog& dialog) {
            auto* input = qobject_cast<QInputDialog*>(&dialog);
            EXPECT_NE(input, nullptr);
            if (!input) return int(QDialog::Rejected);
            EXPECT_EQ(input->textValue(), QString());
            EXPECT_EQ(input->textEchoMode(), QLineEdit::Password);
            input->setTextValue(password);
            return int(QDialog::Accepted);
        });
    }
};

TEST_F(NotConnected, WrongSavedPasswordShowsTheFailureThePasswordButtonAndEmptyLists) {
    setSetting(QStringLiteral("PassWord"), QStringLiteral("wrong"));
    openWindow();
    expectNotConnectedWindow();
    EXPECT_TRUE(dialogs.shown().empty());
    EXPECT_EQ(serverBox().text(), sandbox().serverName());
}

TEST_F(NotConnected, PasswordEnteredThroughThePasswordButtonReloadsTheLists) {
    setSetting(QStringLiteral("PassWord"), QStringLiteral("wrong"));
    openWindow();
    ASSERT_FALSE(button("cmdPassword").isHidden());

    answerPassword(sandboxPassword());
    click(button("cmdPassword"));

    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(dialogs.shown()[0].text, QStringLiteral("请输入SA口令"));
    EXPECT_EQ(dialogs.shown()[0].title, QString());
    EXPECT_EQ(session().gPassWord, sandboxPassword());
    expectConnectedWindow();
}

TEST_F(NotConnected, AnotherWrongPasswordKeepsTheWindowNotConnected) {
    setSetting(QStringLiteral("PassWord"), QStringLiteral("wrong"));
    openWindow();
    answerPassword(QStringLiteral("still wrong"));
    click(button("cmdPassword"));
    expectNotConnectedWindow();

    answerPassword(sandboxPassword());
    click(button("cmdPassword"));
    expectConnectedWindow();
}

TEST_F(NotConnected, CancelledPasswordBoxReloadsWithAnEmptyPassword) {
    // A login without a password: only a reload with the empty password connects.
    addLogin("operator", "");
    setSetting(QStringLiteral("UserName"), QStringLiteral("operator"));
    setSetting(QStringLiteral("PassWord"), QStringLiteral("wrong"));
    openWindow();
    expectNotConnectedWindow();

    dialogs.cancelInput();
    click(button("cmdPassword"));
    EXPECT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(session().gPassWord, QString());
    expectConnectedWindow();
}

TEST_F(LoginServer, RefusedPasswordAndUnreachableServerAreToldApart) {
    setSetting(QStringLiteral("PassWord"), QStringLiteral("wrong"));
    openWindow();
    // The documented words first, then the driver's: in the status line
    // after a reload, and in the box after a confirm.
    EXPECT_EQ(label("labReport").text().split(u'\n'), (QStringList{kConnectionFailed, refusedReason()}));
    dialogs.acceptMessage();
    click(button("cmdOK"));
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(dialogs.shown()[0].text.split(u'\n').mid(0, 2), (QStringList{kLoginRejected, refusedReason()}));

    typeServerName(kNoServer);
    QTest::keyClick(&serverBox(), Qt::Key_Return);
    waitForConnections();
    const QStringList unreachable = label("labReport").text().split(u'\n');
    ASSERT_EQ(unreachable.size(), 2) << label("labReport").text();
    EXPECT_EQ(unreachable[0], kConnectionFailed);
    EXPECT_TRUE(unreachable[1].startsWith(QStringLiteral("Unable to connect"))) << unreachable[1];
    dialogs.acceptMessage();
    click(button("cmdOK"));
    ASSERT_EQ(dialogs.shown().size(), 2u);
    const QStringList rejected = dialogs.shown()[1].text.split(u'\n');
    ASSERT_GE(rejected.size(), 2);
    EXPECT_EQ(rejected[0], kLoginRejected);
    EXPECT_EQ(rejected[1], unreachable[1]);
    EXPECT_TRUE(handOvers.empty());
}

TEST_F(LoginServer, EveryCharacterKeyInTheServerBoxForgetsThePassword) {
    openWindow();
    serverBox().setFocus(Qt::TabFocusReason);
    serverBox().end(false);
    const QString name = serverBox().text();
    clearReceived();

    // Enter first, while the name is still the same (a changed name reloads).
    for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Backspace, Qt::Key_X}) {
        session().gPassWord = sandboxPassword();
        QTest::keyClick(&serverBox(), key);
        EXPECT_EQ(session().gPassWord, QString()) << "key " << int(key);
    }
    // Backspace and X reached the box; nothing was reloaded.
    EXPECT_EQ(serverBox().text(), name.chopped(1) + QStringLiteral("x"));
    EXPECT_EQ(session().gServerName, sandbox().serverName());
    EXPECT_TRUE(sandbox().server().receivedBatches().empty());

    session().gPassWord = sandboxPassword();
    QTest::keyClick(&serverBox(), Qt::Key_Left);
    EXPECT_EQ(session().gPassWord, sandboxPassword()) << "an arrow key gives no character";
}

TEST_F(LoginServer, EscapeAndControlKeysAreTypedCharactersButDeleteIsNot) {
    openWindow();
    serverBox().setFocus(Qt::TabFocusReason);
    serverBox().end(false);
    const QString name = serverBox().text();

    // The texts the platform gives these keys.
    session().gPassWord = sandboxPassword();
    QTest::sendKeyEvent(QTest::Click, &serverBox(), Qt::Key_Escape, QStringLiteral("\x1b"), Qt::NoModifier);
    EXPECT_EQ(session().gPassWord, QString()) << "Escape";

    session().gPassWord = sandboxPassword();
    QTest::sendKeyEvent(QTest::Click, &serverBox(), Qt::Key_C, QStringLiteral("\x03"), Qt::ControlModifier);
    EXPECT_EQ(session().gPassWord, QString()) << "Ctrl+C";

    session().gPassWord = sandboxPassword();
    QTest::sendKeyEvent(QTest::Click, &serverBox(), Qt::Key_Delete, QStringLiteral("\x7f"), Qt::NoModifier);
    EXPECT_EQ(session().gPassWord, sandboxPassword()) << "Delete gives no character";
    EXPECT_EQ(serverBox().text(), name);
}

TEST_F(LoginServer, EnterAfterTheSameNameDoesNotReload) {
    openWindow();
    clearReceived();
    typeServerName(QStringLiteral("  ") + sandbox().serverName() + QStringLiteral(" "));
    QTest::keyClick(&serverBox(), Qt::Key_Return);

    EXPECT_TRUE(sandbox().server().receivedBatches().empty());
    EXPECT_EQ(serverBox().text(), QStringLiteral("  ") + sandbox().serverName() + QStringLiteral(" "));
    EXPECT_EQ(combo("cboZT").currentText(), kAccount001);
    EXPECT_EQ(label("labReport").text(), QString());
    EXPECT_EQ(session().gPassWord, QString());
}

TEST_F(LoginServer, EnterAfterAnotherNameReloadsTheListsFromThatServer) {
    openWindow();
    typeServerName(QStringLiteral(" ") + kNoServer + QStringLiteral(" "));
    EXPECT_EQ(session().gServerName, sandbox().serverName()) << "no reload before Enter";
    EXPECT_EQ(combo("cboZT").count(), 5);

    QTest::keyClick(&serverBox(), Qt::Key_Return);
    waitForConnections();
    EXPECT_EQ(session().gServerName, kNoServer);
    EXPECT_EQ(serverBox().text(), kNoServer);
    EXPECT_TRUE(label("labReport").text().startsWith(kConnectionFailed + u'\n')) << label("labReport").text();
    EXPECT_FALSE(button("cmdPassword").isHidden());
    EXPECT_EQ(combo("cboZT").count(), 0);
}

TEST_F(LoginServer, LeavingTheBoxForgetsThePasswordAndReloadsOnlyOnAChange) {
    openWindow();
    serverBox().setFocus(Qt::TabFocusReason);
    clearReceived();
    saveBox().setFocus(Qt::TabFocusReason);
    EXPECT_EQ(session().gPassWord, QString());
    EXPECT_TRUE(sandbox().server().receivedBatches().empty());
    EXPECT_EQ(combo("cboZT").count(), 5);

    typeServerName(kNoServer);
    QTest::keyClick(&serverBox(), Qt::Key_Tab);
    waitForConnections();
    EXPECT_FALSE(serverBox().hasFocus());
    EXPECT_EQ(session().gServerName, kNoServer);
    EXPECT_TRUE(label("labReport").text().startsWith(kConnectionFailed + u'\n')) << label("labReport").text();
    EXPECT_EQ(combo("cboZT").count(), 0);
}

}  // namespace
}  // namespace tallomar::test
