#pragma once

#include "private_secret_service.h"
#include "support/sandbox_server.h"
#include "support/scripted_dialogs.h"
#include "support/tool_fixture.h"
#include "windows/login/frm_login.h"

#include <gtest/gtest.h>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMap>
#include <QPushButton>
#include <QTest>
#include <QVariant>
#include <memory>
#include <optional>
#include <ostream>
#include <utility>
#include <vector>

// Texts in failure messages as text, not as a dump of their bytes.
QT_BEGIN_NAMESPACE
inline std::ostream& operator<<(std::ostream& out, const QString& text) {
    return out << text.toStdString();
}
QT_END_NAMESPACE

namespace tallomar::test {

// A row of the package's Version table.
struct Edition {
    QString item;  // cItem
    qint64 grade;  // iGrade
    bool enabled;  // bsign
    qint64 id;     // ID
};

// The login window over a tool package written to a temporary ZOL.mdb and
// the sandbox server with its demo data (QVSystem with account sets 001 to
// 003, master..sub_list). Each test gets a server of its own, so that it may
// add logins and rows. The package's settings start as a good login to that
// server: edition "R6 财务标准版", account set 001, year 2008, and the
// password in the PassWord row, as packages of older versions keep it. The
// credential store is the tests' own (see private_secret_service.h).
class LoginTest : public ::testing::Test {
protected:
    static inline const QString kAccount001 = QStringLiteral("[001]华北机械制造有限公司");
    static inline const QString kAccount002 = QStringLiteral("[002]江南食品贸易有限公司");
    static inline const QString kAccount003 = QStringLiteral("[003]东海物流服务有限公司");
    static inline const QString kConnectionFailed =
        QStringLiteral("可能由于服务器断开或设置不正确,未能连接服务器,请查看！");
    static inline const QString kLoginRejected = QStringLiteral("输入数据库用户名或密码有误,请重新输入！");
    // The driver's first words when the server refuses the password of `user`.
    static QString refusedReason(const QString& user = QStringLiteral("sa")) {
        return QStringLiteral("Login failed for user '%1'.").arg(user);
    }
    static inline const QString kNoYears = QStringLiteral("没有可供选择的年度...");
    // A server name on which nothing listens.
    static inline const QString kNoServer = QStringLiteral("127.0.0.1,1");

    void SetUp() override;
    void TearDown() override;

    SandboxServer& sandbox() { return *sandbox_; }
    // Lets `user` log in to the sandbox with `password` (empty allowed).
    void addLogin(const char* user, const char* password) { sandbox_->server().addLogin({user, password}); }
    // Runs SQLite statements in a database of the sandbox.
    void seed(const char* database, const char* statements) { sandbox_->server().seedDatabase(database, statements); }
    // The folder holding the package's ZOL.mdb.
    QString packageFolder() const { return package_->folder(); }
    QString sandboxPassword() const { return QString::fromLatin1(SandboxServer::Password); }

    // Replaces (or adds) one saved setting before the window opens.
    void setSetting(const QString& name, const QVariant& value);

    // Whether opening a window waits for its first connection to the server.
    enum class Wait { ForLists, No };
    // Writes the package, opens it as at start-up (loading the settings) and
    // opens the login window, shown and active, by default once its lists
    // show the first connection's outcome. Boxes the window shows while
    // loading must be queued on `dialogs` first.
    FrmLogin& openWindow(Wait wait = Wait::ForLists);
    // Opens the package as written by now, as the next start does, and a
    // new login window on it (not shown), once its lists are filled.
    FrmLogin& reopenWindow();
    // The settings the package holds by now, as the next start loads them.
    Session savedSession() const;
    // The session the window works in; after a login, the one handed over.
    Session& session() { return *session_; }

    QComboBox& combo(const char* name);
    QPushButton& button(const char* name);
    QLabel& label(const char* name);
    QLineEdit& serverBox();
    QCheckBox& saveBox();
    static QStringList entries(const QComboBox& combo);

    // Chooses the entry `text` of a list as the operator does, with the
    // keyboard: Home or End for the first or the last entry, otherwise the
    // arrow keys, which choose every entry passed on the way in turn, each
    // once the connection the one before may have started has ended.
    void choose(QComboBox& combo, const QString& text);
    // Replaces the server box's text by typing into it (select all, then the
    // characters), leaving the focus in the box.
    void typeServerName(const QString& text);
    // Clicks a button with the mouse, which moves the focus to it first, and
    // waits for the connections the click started.
    void click(QPushButton& target);
    // Waits until the window no longer waits for the server (or the
    // credential store), at most as long as a connection may take.
    void waitForConnections();
    // The password the credential store holds for `user` on the sandbox.
    std::optional<QString> storedPassword(const QString& user = QStringLiteral("sa")) const {
        return secretServicePassword(sandbox_->serverName(), user);
    }

    // The cName/cValue rows of table ZOL as the file now holds them.
    QMap<QString, QVariant> savedSettings() const;
    // The settings as they were written before the window opened.
    QMap<QString, QVariant> initialSettings() const;
    // The account-set query of the network editions was sent to the server
    // since the last clearReceived().
    bool accountSetsListed() const;
    void clearReceived() { sandbox_->server().clearReceivedBatches(); }

    std::vector<Edition> editions;
    ScriptedDialogs dialogs;
    std::unique_ptr<FrmLogin> window;

    // What the hand-over to the main window saw, once per call.
    struct HandOver {
        bool accountConnected = false;
        QString databaseName;
    };
    std::vector<HandOver> handOvers;

private:
    FrmLogin& openWindowOnPackage();

    std::unique_ptr<SandboxServer> sandbox_;
    Session* session_ = nullptr;
    std::unique_ptr<Session> handedOver_;
    std::vector<std::pair<QString, QVariant>> settings_;
    std::unique_ptr<ToolDatabaseFile> package_;
};

}  // namespace tallomar::test
