#pragma once

#include "logic/workbench/result_table.h"

#include <QString>

namespace tallomar {

namespace odbc {
class Connection;
}
class RunContext;

// A run's hold on its result table on the server, from before its first
// script to its end. A serialized table is locked while the hold lasts: an
// exclusive application lock in tempdb named after the table, owned by the
// session, for which a second run waits (and the operator can cancel). A
// private table is dropped at the end, so that runs leave tempdb as they
// found it.
class ResultTableHold {
public:
    // Takes the lock of a serialized table, waiting while another run holds
    // it; throws StatementFailure. Nothing happens without a connection or
    // a table (the run's scripts then fail, or the check finds no table).
    ResultTableHold(odbc::Connection* connection, const ResultTable& table, RunContext& run);
    ResultTableHold(const ResultTableHold&) = delete;
    ResultTableHold& operator=(const ResultTableHold&) = delete;
    // A hold not released ends with its run's failure, which is what the run
    // reports: whatever it can still release goes quietly. The server frees a
    // session's lock when the connection ends at the latest.
    ~ResultTableHold();

    // Drops the private table or releases the lock; throws StatementFailure.
    void release(const QString& phase);

private:
    void end(const QString& phase, RunContext* run);

    odbc::Connection* connection_;
    const ResultTable& table_;
    RunContext& run_;
    bool held_ = false;
};

}  // namespace tallomar
