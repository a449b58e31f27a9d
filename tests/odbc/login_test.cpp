#include "sandbox_fixture.h"

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
