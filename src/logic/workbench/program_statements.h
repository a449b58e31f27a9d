#pragma once

#include "logic/workbench/run_outcome.h"
#include "platform/error.h"

#include <QString>
#include <optional>

namespace tallomar {

namespace odbc {
class Connection;
}
class RunContext;

// A statement the program itself sends during a run, beside the package's
// scripts: the result table's lookup, its rows, its drop and lock, the
// transaction's switches and counts. Such a statement failing stops the
// run: what the program was doing and the server's words reach the
// operator, never an empty answer in their place.
struct [[nodiscard]] StatementFailure {
    RunOutcome outcome;
};

// What failed, as the run reports it: `doing` (e.g. "修复后重新检查：查找结果
// 表 demo_check"), then the server's words on a line of their own. A
// statement the operator's Cancel interrupted reads as cancelled, a lost
// connection as such.
RunOutcome statementFailure(const QString& doing, const tallomar::Error& error, const RunContext* run);

// Sends the program's statements of one run on one connection. A Cancel of
// the run interrupts the statement on the server as it does a script's batch.
class ProgramStatements {
public:
    ProgramStatements(odbc::Connection& connection, RunContext* run) : connection_(connection), run_(run) {}

    // Runs `sql`, reading all its results; throws StatementFailure.
    void send(const QString& sql, const QString& doing) const;
    // The first value of the first row `sql` returns; none for no row or a
    // NULL. Throws StatementFailure.
    std::optional<QString> value(const QString& sql, const QString& doing) const;

private:
    odbc::Connection& connection_;
    RunContext* run_;
};

}  // namespace tallomar
