#pragma once

#include "odbc_client.h"
#include "support/sandbox_server.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

// Batches sent to a sandbox server with its demo data through a plain ODBC
// client, logged in to QVSystem; helpers read what came back.
namespace tallomar::test {

using Rows = std::vector<std::vector<std::optional<std::string>>>;

class BatchTest : public ::testing::Test {
protected:
    void SetUp() override;

    // Another connection to the same server.
    std::unique_ptr<OdbcClient> connect(const std::string& database = "QVSystem");

    // Runs a batch that must not fail.
    OdbcBatch ok(const std::string& sql, OdbcClient* on = nullptr);
    // The rows of the batch's only result set.
    Rows rows(const std::string& sql, OdbcClient* on = nullptr);
    // The first value of the batch's only result set (nullopt for NULL).
    std::optional<std::string> value(const std::string& sql, OdbcClient* on = nullptr);
    // The first error record of a batch that must fail.
    OdbcDiagnostic error(const std::string& sql, OdbcClient* on = nullptr);

    SandboxServer sandbox;
    std::unique_ptr<OdbcClient> client;
};

// The texts of a batch's informational messages (PRINT, RAISERROR of
// severity 10 and below) and of its errors, each in arrival order.
std::vector<std::string> warningsOf(const OdbcBatch& batch);
std::vector<std::string> errorsOf(const OdbcBatch& batch);

}  // namespace tallomar::test
