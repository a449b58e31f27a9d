// The procedures a session runs itself: the application locks, SQL run from
// a text and the value of a variable.
#include "sandbox/session.h"

#include "sandbox/result_stream.h"
#include "sandbox/tds_protocol.h"
#include "sandbox/tsql_lexer.h"

#include <utility>

namespace tallomar::sandbox {

// sp_getapplock and sp_releaseapplock, exclusive locks owned by the session.
void Session::procedure(const TsqlStatement& statement) {
    const auto argument = [&](const std::string& name) -> std::string {
        const auto found = statement.arguments.find(name);
        if (found == statement.arguments.end())
            fail({201, 16, 4,
                  "Procedure or function '" + statement.name + "' expects parameter '@" + name +
                      "', which was not supplied.",
                  statement.line});
        return found->second;
    };
    const std::string resource = argument("resource");
    const auto owner = statement.arguments.find("lockowner");
    if (owner == statement.arguments.end() || upperAscii(owner->second) != "SESSION")
        fail({102, 15, 1, "The sandbox server does not understand application locks owned by a transaction.",
              statement.line});
    long long status = 0;
    if (statement.name == "sp_getapplock") {
        if (upperAscii(argument("lockmode")) != "EXCLUSIVE")
            fail({102, 15, 1, "The sandbox server does not understand application locks other than Exclusive.",
                  statement.line});
        const auto timeout = statement.arguments.find("locktimeout");
        const std::chrono::milliseconds wait{timeout == statement.arguments.end() ? -1 : std::stoll(timeout->second)};
        status = state_.appLocks.acquire(resource, id_, wait, [this] { return attentionPending(); });
        if (status == -2) throw Cancelled();
    } else if (!state_.appLocks.release(resource, id_)) {
        fail({1223, 16, 1,
              "Cannot release the application lock (Database Principal: 'public', Resource: '" + resource +
                  "') because it is not currently held.",
              statement.line});
    }
    if (!statement.variable.empty()) variables_[statement.variable] = status;
    beginTokens();
    done(tds::DoneFinal, 0, 0);
}

// EXEC (text): the text runs as a batch of its own, its variables apart.
void Session::executeText(const TsqlStatement& statement) {
    const auto text = singleValue(statement);
    if (!text) return;
    std::vector<TsqlStatement> statements;
    try {
        statements = translateBatch(*text, translationContext());
    } catch (const TsqlError& error) {
        fail(error.message);
    }
    const auto outer = std::exchange(variables_, {});
    runStatements(statements);
    variables_ = outer;
}

void Session::selectVariable(const TsqlStatement& statement) {
    const auto value = variables_.at(statement.name);
    TsqlStatement select;
    select.kind = TsqlStatement::Kind::Sql;
    select.line = statement.line;
    select.command = tds::CommandSelect;
    select.returnsRows = true;
    // A computed column: the client sees it without a name, as SQL Server sends it.
    select.sql = "SELECT CAST(" + (value ? std::to_string(*value) : std::string("NULL")) + " AS INTEGER)";
    runSql(select);
}

}  // namespace tallomar::sandbox
