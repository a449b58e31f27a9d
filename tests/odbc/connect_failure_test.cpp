#include "platform/odbc/odbc.h"

#include <gtest/gtest.h>
#include <QElapsedTimer>

using namespace tallomar::odbc;

TEST(ConnectFailure, RefusedConnectionGivesTheDriversText) {
    try {
        Connection::open(ServerLogin{QStringLiteral("127.0.0.1,1"), {}, QStringLiteral("sa"), QStringLiteral("x")}, 5);
        FAIL() << "a connection to a closed port was reported as made";
    } catch (const Error& error) {
        EXPECT_FALSE(error.message().isEmpty());
        EXPECT_TRUE(error.sqlState().startsWith(QLatin1String("08"))) << error.sqlState().toStdString();
        EXPECT_TRUE(error.message().contains(QLatin1String("["))) << error.message().toStdString();
    }
}

TEST(ConnectFailure, UnknownDriverIsNamedInTheError) {
    try {
        Connection::open(QStringLiteral("Driver=/no/such/libdriver.so;Server=127.0.0.1"), 5);
        FAIL() << "a connection through a missing driver was reported as made";
    } catch (const Error& error) {
        EXPECT_FALSE(error.message().isEmpty());
        EXPECT_FALSE(error.connectionLost());
    }
}
