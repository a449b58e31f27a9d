#pragma once

#include "platform/odbc/odbc.h"
#include "session/session.h"
#include "support/sandbox_server.h"

#include <gtest/gtest.h>
#include <QString>
#include <QStringList>
#include <memory>

namespace tallomar::test {

// One sandbox server per test suite with the account-set database "shop"
// (table t(a int)); each test gets a session whose cnAccount is connected to
// master (the runner switches to gDatabaseName itself), an empty table and
// no faults.
class SandboxAccount : public ::testing::Test {
protected:
    static void SetUpTestSuite();
    static void TearDownTestSuite();
    void SetUp() override;
    void TearDown() override;

    static sandbox::Server& server() { return sandbox_->server(); }
    static std::unique_ptr<odbc::Connection> connect();
    // Every batch the server received since the test began.
    static QStringList received();
    // The values of shop..t, in ascending order.
    static QStringList tableValues();

    Session session;

private:
    static inline SandboxServer* sandbox_ = nullptr;
};

}  // namespace tallomar::test
