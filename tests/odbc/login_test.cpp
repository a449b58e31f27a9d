#include "sandbox_fixture.h"

#include <QDir>
#include <QTemporaryDir>

using namespace tallomar::odbc;

using Login = SandboxTest;

TEST_F(Login, AcceptedWithTheRightPassword) {
    auto connection = connect();
    EXPECT_FALSE(connection->isDead());
    EXPECT_EQ(scalar(*connection, QStringLiteral("select 1")), QStringLiteral("1"));
}

TEST_F(Login, RefusedWithTheServersText) {
    try {
        Connection::open(login(QStringLiteral("master"), QStringLiteral("wrong")), 5);
        FAIL() << "a wrong password was accepted";
    } catch (const Error& error) {
        EXPECT_EQ(error.nativeError(), 18456) << error.message().toStdString();
        EXPECT_TRUE(error.message().contains(QStringLiteral("Login failed for user 'sa'.")))
            << error.message().toStdString();
        EXPECT_FALSE(error.connectionLost());
    }
}

TEST_F(Login, DatabaseOfTheConnectionStringIsInEffect) {
    auto connection = connect(QStringLiteral("QVSystem"));
    EXPECT_EQ(scalar(*connection, QStringLiteral("select db_name()")), QStringLiteral("QVSystem"));
}

TEST_F(Login, EmptyDatabaseGivesTheLoginsDefault) {
    auto connection = Connection::open(login(QString()), 5);
    EXPECT_EQ(scalar(*connection, QStringLiteral("select db_name()")), QStringLiteral("master"));
}

TEST_F(Login, UnknownDatabaseIsRefused) {
    EXPECT_THROW(connect(QStringLiteral("no_such_database")), Error);
}

// A brace in the password goes through a private data source: it is gone
// once the connection is made or refused, and ODBCINI is as it was.
TEST_F(Login, PrivateDataSourceLeavesNothingBehind) {
    sandbox().server().addLogin({"brace", "a};b"});
    QTemporaryDir temp;
    ASSERT_TRUE(temp.isValid());
    const std::optional<QByteArray> formerTmp =
        qEnvironmentVariableIsSet("TMPDIR") ? std::optional(qgetenv("TMPDIR")) : std::nullopt;
    qputenv("TMPDIR", QFile::encodeName(temp.path()));
    qputenv("ODBCINI", "/nonexistent/odbc.ini");
    const ServerLogin brace{sandbox().serverName(), QStringLiteral("QVSystem"), QStringLiteral("brace"),
                            QStringLiteral("a};b")};
    auto connection = Connection::open(brace, 5);
    EXPECT_EQ(scalar(*connection, QStringLiteral("select db_name()")), QStringLiteral("QVSystem"));
    ServerLogin wrong = brace;
    wrong.password = QStringLiteral("a}");
    EXPECT_THROW(Connection::open(wrong, 5), Error);
    EXPECT_EQ(qgetenv("ODBCINI"), QByteArray("/nonexistent/odbc.ini"));
    EXPECT_TRUE(QDir(temp.path()).isEmpty()) << QDir(temp.path()).entryList().join(u' ').toStdString();
    if (formerTmp)
        qputenv("TMPDIR", *formerTmp);
    else
        qunsetenv("TMPDIR");
    qunsetenv("ODBCINI");
}
