// Login values that would split a connection text (';', '=', '{', '}',
// blanks, an apostrophe) reach the server exactly as typed: the program
// logs in where FreeTDS's bsqldb, which puts each value into the login
// packet as it is, logs in with the same values, and nowhere else.
#include "logic/login/server_connections.h"
#include "platform/odbc/odbc.h"
#include "support/sandbox_server.h"
#include "support/scripted_dialogs.h"
#include "windows/dialog_prompts.h"

#include <gtest/gtest.h>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

using namespace tallomar;

namespace {

struct TrickyLogin {
    const char* what;
    QString user;
    QString password;
    QString database;
};

const TrickyLogin kTrickyLogins[] = {
    {"a password that names another login", QStringLiteral("clerk1"), QStringLiteral("x;Uid=sa;Pwd="),
     QStringLiteral("master")},
    {"a closing brace in the password", QStringLiteral("clerk2"), QStringLiteral("a}b"), QStringLiteral("master")},
    {"a brace and semicolon that end a braced value", QStringLiteral("clerk3"), QStringLiteral("a};PWD={b}"),
     QStringLiteral("master")},
    {"an opening brace first", QStringLiteral("clerk4"), QStringLiteral("{open"), QStringLiteral("master")},
    {"equals signs and blanks around", QStringLiteral("clerk5"), QStringLiteral(" p = q "), QStringLiteral("master")},
    {"an apostrophe", QStringLiteral("clerk6"), QStringLiteral("it's"), QStringLiteral("master")},
    {"a user name with every such character", QStringLiteral("we{ird}=us;er 'x"), QStringLiteral("pw"),
     QStringLiteral("master")},
    {"a database that names another server", QStringLiteral("clerk7"), QStringLiteral("pw"),
     QStringLiteral("acct;Server=127.0.0.1,1")},
    {"a database with a closing brace", QStringLiteral("clerk8"), QStringLiteral("pw"), QStringLiteral("acct};Uid=sa")},
    {"a database with braces, equals and blanks", QStringLiteral("clerk9"), QStringLiteral("p}w"),
     QStringLiteral("{a b} = c")},
};

QString currentDatabase(odbc::Connection& connection) {
    odbc::Statement statement(connection);
    statement.execute(QStringLiteral("select db_name()"));
    return statement.fetch() ? statement.text(0).value_or(QString()) : QString();
}

}  // namespace

class TrickyLoginValues : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        sandbox_ = new test::SandboxServer(test::SandboxServer::Data::Empty);
        // The login a password split at its semicolon would reach.
        sandbox_->server().addLogin({"sa", ""});
        for (const TrickyLogin& login : kTrickyLogins) {
            sandbox_->server().addLogin({login.user.toStdString(), login.password.toStdString()});
            sandbox_->server().seedDatabase(login.database.toStdString(), "CREATE TABLE IF NOT EXISTS marker(a INT);");
        }
    }
    static void TearDownTestSuite() {
        delete sandbox_;
        sandbox_ = nullptr;
    }

    struct BsqldbRun {
        bool loggedIn = false;
        QString out;
        QString err;
    };
    // bsqldb asked for the current database with `login`'s values.
    BsqldbRun runBsqldb(const TrickyLogin& login) {
        QFile conf(folder_.filePath(QStringLiteral("freetds.conf")));
        if (!conf.exists()) {
            EXPECT_TRUE(conf.open(QIODevice::WriteOnly));
            conf.write(QStringLiteral("[sandbox]\n\thost = 127.0.0.1\n\tport = %1\n\ttds version = 7.4\n"
                                      "\tclient charset = UTF-8\n")
                           .arg(sandbox_->port())
                           .toUtf8());
            conf.close();
        }
        QProcess bsqldb;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("FREETDSCONF"), conf.fileName());
        environment.insert(QStringLiteral("HOME"), folder_.path());
        bsqldb.setProcessEnvironment(environment);
        bsqldb.start(QStringLiteral("bsqldb"),
                     {QStringLiteral("-q"), QStringLiteral("-t"), QStringLiteral("|"), QStringLiteral("-S"),
                      QStringLiteral("sandbox"), QStringLiteral("-U"), login.user, QStringLiteral("-P"), login.password,
                      QStringLiteral("-D"), login.database});
        bsqldb.write("select db_name()\n");
        bsqldb.closeWriteChannel();
        EXPECT_TRUE(bsqldb.waitForFinished(30000)) << "bsqldb did not end";
        return {bsqldb.exitStatus() == QProcess::NormalExit && bsqldb.exitCode() == 0,
                QString::fromUtf8(bsqldb.readAllStandardOutput()).trimmed(),
                QString::fromUtf8(bsqldb.readAllStandardError())};
    }

    // What bsqldb makes of the same values: the database it is in, or none
    // when its login fails.
    std::optional<QString> bsqldbDatabase(const TrickyLogin& login) {
        const BsqldbRun run = runBsqldb(login);
        if (!run.loggedIn) return std::nullopt;
        return run.out;
    }

    // What the program makes of them: the login test, then the account-set
    // connection of the single-company edition, whose database is the
    // account set's id; the database it is in, or none.
    std::optional<QString> programDatabase(const TrickyLogin& login) {
        Session session;
        session.gServerName = sandbox_->serverName();
        session.gUserName = login.user;
        session.gPassWord = login.password;
        session.gSoft = QStringLiteral("QM单机版");
        if (!TestLogin(loginTestLogin(session, session.gServerName)).isEmpty()) return std::nullopt;
        test::ScriptedDialogs dialogs;
        DialogPrompts prompts{nullptr};
        const QString entry = QLatin1Char('[') + login.database + QStringLiteral("]账套");
        if (ConnectAccountDatabase(session, entry, QString(), prompts) != AccountConnection::Connected) {
            ADD_FAILURE() << "the login test passed but the account-set connection failed";
            return std::nullopt;
        }
        EXPECT_EQ(session.gDatabaseName, login.database);
        return currentDatabase(*session.cnAccount);
    }

    static inline test::SandboxServer* sandbox_ = nullptr;
    QTemporaryDir folder_;
};

TEST_F(TrickyLoginValues, LogInExactlyAsBsqldbDoesAndChangeNoOtherField) {
    ASSERT_FALSE(QStandardPaths::findExecutable(QStringLiteral("bsqldb")).isEmpty())
        << "bsqldb is not installed (package freetds-bin)";
    for (const TrickyLogin& login : kTrickyLogins) {
        SCOPED_TRACE(login.what);
        const std::optional<QString> program = programDatabase(login);
        EXPECT_EQ(program, login.database) << "the program did not log in where it should";
        EXPECT_EQ(bsqldbDatabase(login), login.database) << "bsqldb did not log in where it should";

        // The same password for a user the server does not know: a value
        // that spilled into another field would log in as sa.
        TrickyLogin stranger = login;
        stranger.user = QStringLiteral("nobody");
        EXPECT_EQ(programDatabase(stranger), std::nullopt);
        EXPECT_EQ(bsqldbDatabase(stranger), std::nullopt);
        // One character less of the password is a wrong password.
        TrickyLogin wrong = login;
        wrong.password.chop(1);
        EXPECT_EQ(programDatabase(wrong), std::nullopt);
        EXPECT_EQ(bsqldbDatabase(wrong), std::nullopt);
    }
}

// The sandbox holds no database whose name has an apostrophe; asked for one,
// the server refuses both clients in the same words, naming it as typed.
TEST_F(TrickyLoginValues, AMissingDatabaseIsNamedAsTypedInTheRefusal) {
    const TrickyLogin login{"", QStringLiteral("clerk1"), QStringLiteral("x;Uid=sa;Pwd="),
                            QStringLiteral("it's; Server=127.0.0.1,1 {x")};
    const QString refusal = QStringLiteral("Cannot open database \"%1\" requested by the login.").arg(login.database);
    try {
        odbc::Connection::open(odbc::ServerLogin{sandbox_->serverName(), login.database, login.user, login.password},
                               5);
        ADD_FAILURE() << "a missing database was opened";
    } catch (const odbc::Error& error) {
        EXPECT_TRUE(error.message().contains(refusal)) << error.message().toStdString();
    }
    const BsqldbRun bsqldb = runBsqldb(login);
    EXPECT_FALSE(bsqldb.loggedIn);
    EXPECT_TRUE(bsqldb.err.contains(refusal)) << bsqldb.err.toStdString();
}
