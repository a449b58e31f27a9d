#pragma once

#include <optional>
#include <string>
#include <vector>

// A deliberately plain ODBC client for the sandbox's tests: the driver
// manager's own calls, no layer of ours in between, so that what the tests
// see is what any ODBC program sees.
namespace tallomar::test {

// One diagnostic record as the driver reports it.
struct OdbcDiagnostic {
    std::string sqlState;
    long native = 0;   // the server's message number
    std::string text;  // with the driver's prefixes removed
    // Severity 10 and below (PRINT, informational RAISERROR) arrives as a
    // warning, SQLSTATE class 01; anything above as an error.
    bool warning() const { return sqlState.rfind("01", 0) == 0; }
};

struct OdbcResult {
    std::vector<std::string> columns;
    std::vector<short> columnTypes;                             // SQL_INTEGER, SQL_WVARCHAR, ...
    std::vector<std::vector<std::optional<std::string>>> rows;  // UTF-8
    long long rowCount = -1;
    std::string error;  // diagnostics when this result is an error
};

struct OdbcBatch {
    std::vector<OdbcResult> results;
    std::vector<std::string> messages;        // every diagnostic record, in order
    std::vector<OdbcDiagnostic> diagnostics;  // the same records, field by field
    bool failed() const;
    std::string firstError() const;
};

class OdbcClient {
public:
    // Connects with SQLDriverConnectW; on failure connected() is false and
    // error() holds the diagnostics.
    explicit OdbcClient(const std::string& connectionString, int loginTimeoutSeconds = 10);
    ~OdbcClient();
    OdbcClient(const OdbcClient&) = delete;
    OdbcClient& operator=(const OdbcClient&) = delete;

    bool connected() const { return connected_; }
    const std::string& error() const { return error_; }

    // Runs a batch and reads every result to the end.
    OdbcBatch run(const std::string& sql);
    // Runs a batch and counts its first result's rows without keeping them.
    long long countRows(const std::string& sql);
    void setQueryTimeout(int seconds);
    // SQLCancel from another thread on the running statement.
    void cancel();
    bool connectionDead();

private:
    void* environment_ = nullptr;
    void* connection_ = nullptr;
    void* statement_ = nullptr;
    bool connected_ = false;
    std::string error_;
};

}  // namespace tallomar::test
