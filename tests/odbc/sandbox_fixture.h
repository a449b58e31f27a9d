#pragma once

#include "platform/odbc/odbc.h"
#include "support/sandbox_server.h"

#include <gtest/gtest.h>
#include <memory>

// One sandbox server for a whole test suite; each test gets a fresh
// connection through the layer's own way of handing the driver a login.
class SandboxTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { sandbox_ = new tallomar::test::SandboxServer(); }
    static void TearDownTestSuite() {
        delete sandbox_;
        sandbox_ = nullptr;
    }
    void SetUp() override { sandbox_->server().clearFaults(); }

    static tallomar::test::SandboxServer& sandbox() { return *sandbox_; }

    static tallomar::odbc::ServerLogin login(
        const QString& database = QStringLiteral("master"),
        const QString& password = QString::fromLatin1(tallomar::test::SandboxServer::Password)) {
        return {sandbox_->serverName(), database, QString::fromLatin1(tallomar::test::SandboxServer::User), password};
    }

    static std::unique_ptr<tallomar::odbc::Connection> connect(const QString& database = QStringLiteral("master")) {
        return tallomar::odbc::Connection::open(login(database), 5);
    }

    // The first value of the first result set of `sql`.
    static std::optional<QString> scalar(tallomar::odbc::Connection& connection, const QString& sql) {
        tallomar::odbc::Statement statement(connection);
        statement.execute(sql);
        while (statement.columnCount() == 0)
            if (!statement.nextResult()) ADD_FAILURE() << "no result set from " << sql.toStdString();
        EXPECT_TRUE(statement.fetch()) << sql.toStdString();
        return statement.text(0);
    }

private:
    static inline tallomar::test::SandboxServer* sandbox_ = nullptr;
};
