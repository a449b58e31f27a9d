#pragma once

#include <sqlite3.h>

namespace tallomar::history {

class HistoryDatabase;

// The schema version this program writes (PRAGMA user_version).
int currentSchemaVersion();

// Brings the file's schema from its version up to currentSchemaVersion(),
// each step in its own transaction; refuses a file of a newer program.
void migrate(HistoryDatabase& database);

}  // namespace tallomar::history
