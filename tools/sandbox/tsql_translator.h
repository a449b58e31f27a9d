#pragma once

#include "sandbox/tds_tokens.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

// Turns a T-SQL batch into statements the session can run: control
// statements (USE, SET, PRINT, RAISERROR, IF, BEGIN...END, transactions,
// WAITFOR DELAY, DECLARE of an INT, EXEC of a text or of the application
// lock procedures, SELECT of a variable) and SQL
// statements translated into SQLite's dialect. Whatever is not understood is
// refused here, before anything of the batch runs, as SQL Server refuses a
// batch that does not compile.
namespace tallomar::sandbox {

struct TsqlStatement {
    enum class Kind {
        Sql,          // `sql` runs on SQLite; `returnsRows` for queries
        Use,          // `database`
        NoCount,      // `flag`: SET NOCOUNT ON (true) / OFF
        Ignored,      // a session option without effect here
        Print,        // `sql` yields the text
        RaiseError,   // `message`
        If,           // `sql` yields 1 or 0; body[0] then, body[1] else
        Block,        // BEGIN ... END: body
        Transaction,  // `transaction` with its optional `name`
        XactAbort,    // `flag`: SET XACT_ABORT ON (true) / OFF
        WaitFor,      // `delay`
        // A statement SQL Server refuses inside a transaction and the
        // sandbox does not run at all: `message` inside a transaction,
        // "does not understand `name`" outside.
        NotInTransaction,
        Declare,         // DECLARE `name` INT: a variable of the batch, NULL until set
        Procedure,       // EXEC [`variable` =] `name` with `arguments`: a system procedure
        Execute,         // EXEC (...): `sql` yields the text, run as a batch of its own
        SelectVariable,  // SELECT `name`: one row, one unnamed INT column
    };
    enum class TransactionVerb { Begin, Commit, Rollback, Save };
    Kind kind = Kind::Sql;
    int line = 1;
    std::string sql;       // SQLite text; database names as placeholders
    std::string countSql;  // SELECT ... INTO: counts the new table's rows
    bool returnsRows = false;
    std::uint16_t command = 0;  // the DONE token's statement kind
    std::string database;
    bool flag = false;
    ServerMessage message;
    TransactionVerb transaction = TransactionVerb::Begin;
    std::string name;  // of the transaction or savepoint; of the refused statement
    std::chrono::milliseconds delay{0};
    std::vector<TsqlStatement> body;
    // Procedure: its arguments by lower-case name without "@", as given;
    // `variable` takes its return status.
    std::map<std::string, std::string> arguments;
    std::string variable;
    // Object names as written, keyed by lower-case "db.table" or "table",
    // so that errors quote what the client wrote.
    std::map<std::string, std::string> writtenNames;
};

// A batch that cannot run: syntax the server does not understand.
class TsqlError : public std::runtime_error {
public:
    explicit TsqlError(ServerMessage message) : std::runtime_error(message.text), message(std::move(message)) {}
    ServerMessage message;
};

struct TranslationContext {
    std::function<bool(std::string_view)> databaseExists;
    std::uint64_t sessionId = 0;  // makes local #temp names unique
    // A transaction is open when the batch starts: statements refused only
    // inside one must be kept for the run instead of refused at once.
    bool inTransaction = false;
};

// `batch` is UTF-8, as utf16ToUtf8 makes it.
std::vector<TsqlStatement> translateBatch(std::string_view batch, const TranslationContext& context);

// Replaces the database placeholders of translated SQL: the current
// database is SQLite's "main", every other one its attached schema.
std::string bindDatabases(std::string_view sql, std::string_view currentDatabase);

// The databases translated SQL names (as written), the current one among
// them when it is named.
std::vector<std::string> referencedDatabases(std::string_view sql);

// The name a local temporary table #name has in tempdb for one session.
std::string tempTableName(std::string_view name, std::uint64_t sessionId);

}  // namespace tallomar::sandbox
