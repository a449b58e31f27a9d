// The saved password lives in the operating system's credential store, by
// server and user, and never in the tool package: an older package's plain
// password moves there, a reset removes it, and without a store the login
// asks for the password and says once why.
#include "login_fixture.h"

#include <QDir>
#include <QFile>

namespace tallomar::test {
namespace {

using LoginPasswordStore = LoginTest;

const QString kStoreUnavailable = QStringLiteral("无法使用系统的凭据存储，口令不会保存，请通过“SA口令”输入口令。\n");

// The files of `folder` that hold `secret`, as UTF-16 (the tool database's
// text) or as single bytes.
QStringList filesHolding(const QString& folder, const QString& secret) {
    QStringList holding;
    const QByteArray wide(reinterpret_cast<const char*>(secret.utf16()), secret.size() * 2);
    for (const QFileInfo& file : QDir(folder).entryInfoList(QDir::Files | QDir::Hidden)) {
        QFile content(file.filePath());
        EXPECT_TRUE(content.open(QIODevice::ReadOnly)) << file.filePath();
        const QByteArray bytes = content.readAll();
        if (bytes.contains(wide) || bytes.contains(secret.toUtf8())) holding << file.fileName();
    }
    return holding;
}

TEST_F(LoginPasswordStore, PlainPasswordOfAnOlderPackageMovesToTheStoreAndTheNextStartLogsInFromThere) {
    // The fixture's package holds the password in its PassWord row.
    ASSERT_EQ(initialSettings().value(QStringLiteral("PassWord")), sandboxPassword());
    openWindow();
    ASSERT_EQ(label("labReport").text(), QString());
    ASSERT_EQ(storedPassword(), std::nullopt);
    click(button("cmdOK"));
    ASSERT_EQ(handOvers.size(), 1u);

    EXPECT_EQ(storedPassword(), sandboxPassword());
    EXPECT_EQ(savedSettings().value(QStringLiteral("PassWord")), QStringLiteral(" "));
    // Nothing the package folder holds, the save's copy of the previous
    // file included, gives the password away.
    EXPECT_EQ(filesHolding(packageFolder(), sandboxPassword()), QStringList());

    reopenWindow();
    EXPECT_EQ(session().gPassWord, sandboxPassword());
    EXPECT_EQ(label("labReport").text(), QString());
    EXPECT_TRUE(button("cmdPassword").isHidden());
    EXPECT_EQ(combo("cboZT").currentText(), kAccount001);
    EXPECT_TRUE(dialogs.shown().empty());
}

TEST_F(LoginPasswordStore, StoredPasswordBelongsToItsServerAndUserOnly) {
    setSetting(QStringLiteral("PassWord"), QStringLiteral(" "));
    // Another server's password, and another user's on this server.
    storeInSecretService(kNoServer, QStringLiteral("sa"), sandboxPassword());
    storeInSecretService(sandbox().serverName(), QStringLiteral("operator"), sandboxPassword());
    openWindow();

    EXPECT_EQ(label("labReport").text(), kConnectionFailed + u'\n' + refusedReason());
    EXPECT_FALSE(button("cmdPassword").isHidden());
    EXPECT_EQ(session().gPassWord, QString());
    EXPECT_TRUE(dialogs.shown().empty()) << "a store that answered is no failure";
}

TEST_F(LoginPasswordStore, UntickedSaveSettingsResetsTheSettingsAndRemovesTheStoredPassword) {
    setSetting(QStringLiteral("PassWord"), QStringLiteral(" "));
    storeInSecretService(sandbox().serverName(), QStringLiteral("sa"), sandboxPassword());
    openWindow();
    ASSERT_EQ(label("labReport").text(), QString());

    QTest::mouseClick(&saveBox(), Qt::LeftButton);
    click(button("cmdOK"));

    ASSERT_EQ(handOvers.size(), 1u);
    EXPECT_TRUE(handOvers[0].accountConnected);
    EXPECT_EQ(storedPassword(), std::nullopt);
    EXPECT_EQ(savedSettings().value(QStringLiteral("ServerName")), QStringLiteral("(local)"));
    EXPECT_EQ(savedSettings().value(QStringLiteral("PassWord")), QStringLiteral(" "));
    EXPECT_TRUE(dialogs.shown().empty());
}

TEST_F(LoginPasswordStore, WithoutAStoreThePasswordIsAskedForAndTheOperatorToldOnceWhy) {
    if (!inProcessWithoutSecretService()) return;
    setSetting(QStringLiteral("PassWord"), QStringLiteral(" "));
    dialogs.acceptMessage();
    openWindow();

    // The saved password could not be read: the login failed without it and
    // says why, and the password button is there.
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(dialogs.shown()[0].icon, MessageIcon::Information);
    EXPECT_TRUE(dialogs.shown()[0].text.startsWith(kStoreUnavailable)) << dialogs.shown()[0].text;
    EXPECT_GT(dialogs.shown()[0].text.size(), kStoreUnavailable.size()) << "the store's reason is missing";
    EXPECT_EQ(label("labReport").text(), kConnectionFailed + u'\n' + refusedReason());
    ASSERT_FALSE(button("cmdPassword").isHidden());

    dialogs.answerText(sandboxPassword());
    click(button("cmdPassword"));
    ASSERT_EQ(label("labReport").text(), QString());

    // Saving cannot keep the password: the operator has been told already.
    ASSERT_TRUE(saveBox().isChecked());
    click(button("cmdOK"));
    EXPECT_EQ(dialogs.shown().size(), 2u);
    ASSERT_EQ(handOvers.size(), 1u);
    EXPECT_TRUE(handOvers[0].accountConnected);
    EXPECT_EQ(savedSettings().value(QStringLiteral("PassWord")), QStringLiteral(" "));
    EXPECT_EQ(filesHolding(packageFolder(), sandboxPassword()), QStringList());
}

TEST_F(LoginPasswordStore, WithoutAStoreAResetSaysThatAStoredPasswordCouldNotBeRemoved) {
    if (!inProcessWithoutSecretService()) return;
    // An older package: its plain password logs in without the store.
    openWindow();
    ASSERT_EQ(label("labReport").text(), QString());
    ASSERT_TRUE(dialogs.shown().empty());

    QTest::mouseClick(&saveBox(), Qt::LeftButton);
    dialogs.acceptMessage();
    click(button("cmdOK"));

    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(dialogs.shown()[0].icon, MessageIcon::Exclamation);
    EXPECT_TRUE(dialogs.shown()[0].text.startsWith(
        QStringLiteral("保存的口令未能从系统的凭据存储中删除，请在系统的密码管理中删除。\n")))
        << dialogs.shown()[0].text;
    ASSERT_EQ(handOvers.size(), 1u);
    EXPECT_EQ(savedSettings().value(QStringLiteral("PassWord")), QStringLiteral(" "));
    EXPECT_EQ(filesHolding(packageFolder(), sandboxPassword()), QStringList());
}

}  // namespace
}  // namespace tallomar::test
