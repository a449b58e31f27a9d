#include "sandbox/sqlite_errors.h"

#include "sandbox/tsql_lexer.h"

#include <string_view>

namespace tallomar::sandbox {
namespace {

bool startsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

std::string unquoted(std::string name) {
    if (name.size() >= 2 && (name.front() == '"' || name.front() == '\'') && name.back() == name.front())
        name = name.substr(1, name.size() - 2);
    return name;
}

// The object's name as the client wrote it, where the statement knows it.
std::string writtenName(const std::string& sqliteName, const TsqlStatement& statement) {
    std::string name = unquoted(sqliteName);
    if (startsWith(name, "main.")) name = name.substr(5);
    for (const auto& key : {name, "TEMPDB." + name}) {
        const auto found = statement.writtenNames.find(upperAscii(key));
        if (found != statement.writtenNames.end()) return found->second;
    }
    return name;
}

}  // namespace

ServerMessage serverMessageFor(const std::string& sqliteMessage, const TsqlStatement& statement) {
    const std::string& m = sqliteMessage;
    const int line = statement.line;
    const bool dropping = startsWith(upperAscii(statement.sql), "DROP");
    if (startsWith(m, "no such table: ")) {
        const std::string name = writtenName(m.substr(15), statement);
        if (dropping)
            return {3701, 11, 5,
                    "Cannot drop the table '" + name + "', because it does not exist or you do not have permission.",
                    line};
        return {208, 16, 1, "Invalid object name '" + name + "'.", line};
    }
    if (startsWith(m, "no such column: ")) {
        std::string name = m.substr(16);
        if (const auto dot = name.rfind('.'); dot != std::string::npos) name = name.substr(dot + 1);
        return {207, 16, 1, "Invalid column name '" + name + "'.", line};
    }
    if (startsWith(m, "table ") && m.size() > 21 && m.substr(m.size() - 15) == " already exists") {
        // SQL Server names the object alone here, without its database.
        std::string name = writtenName(m.substr(6, m.size() - 21), statement);
        if (const auto dot = name.rfind('.'); dot != std::string::npos) name = name.substr(dot + 1);
        return {2714, 16, 6, "There is already an object named '" + name + "' in the database.", line};
    }
    if (startsWith(m, "near \"") && m.find("\": syntax error") != std::string::npos) {
        const std::string near = m.substr(6, m.find("\": syntax error") - 6);
        return {102, 15, 1, "Incorrect syntax near '" + near + "'.", line};
    }
    if (m.find("incomplete input") != std::string::npos)
        return {102, 15, 1, "Incorrect syntax near the end of the statement.", line};
    if (startsWith(m, "UNIQUE constraint failed: ") || startsWith(m, "PRIMARY KEY constraint failed"))
        return {2627, 14, 1,
                "Violation of PRIMARY KEY or UNIQUE KEY constraint (" + m + "). Cannot insert duplicate key.", line};
    if (startsWith(m, "NOT NULL constraint failed: ")) {
        const std::string column = m.substr(28);
        return {515, 16, 2, "Cannot insert the value NULL into column '" + column + "'; column does not allow nulls.",
                line};
    }
    if (startsWith(m, "Conversion failed")) return {245, 16, 1, m, line};
    if (m == "Divide by zero error encountered.") return {8134, 16, 1, m, line};
    if (startsWith(m, "database is locked") || startsWith(m, "database table is locked"))
        // Another session wrote what this transaction had read before: SQL
        // Server resolves such a lock cycle by choosing a victim.
        return {1205, 13, 51,
                "Transaction was deadlocked on lock resources with another process and has been chosen as the "
                "deadlock victim. Rerun the transaction.",
                line};
    if (startsWith(m, "Arithmetic overflow")) return {8115, 16, 2, m, line};
    if (startsWith(m, "no such index: ")) {
        std::string name = m.substr(15);
        if (const auto dot = name.rfind('.'); dot != std::string::npos) name = name.substr(dot + 1);
        return {3701, 11, 7,
                "Cannot drop the index '" + name + "', because it does not exist or you do not have permission.", line};
    }
    if (startsWith(m, "unknown database "))
        return {208, 16, 1, "Invalid object name '" + unquoted(m.substr(17)) + "'.", line};
    return {50000, 16, 1, "The sandbox server could not run the statement: " + m, line};
}

}  // namespace tallomar::sandbox
