#pragma once

struct sqlite3;

// SQL functions that give translated T-SQL its SQL Server meaning.
namespace tallomar::sandbox {

// tsql_add(a, b): T-SQL's +. Two texts are joined; a number and a number
// are added (integers stay integers); a text meeting a number must read as
// a number, else the statement fails as SQL Server's conversion does; NULL
// gives NULL.
// tsql_divisor(x): the right operand of / and %; a zero fails the statement
// with SQL Server's "Divide by zero error encountered.".
void registerTsqlFunctions(sqlite3* db);

}  // namespace tallomar::sandbox
