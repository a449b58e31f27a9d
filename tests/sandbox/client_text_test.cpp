// Whatever bytes a client's batch holds, the translator hands SQLite the
// client's text (which SQLite may then refuse), never something else.
#include "sandbox/tsql_translator.h"

#include <gtest/gtest.h>

namespace tallomar::sandbox {
namespace {

// Control characters outside strings were once taken for the translator's
// own database-name marks: one made the binding loop forever, another
// became a database name.
TEST(ClientText, ControlCharactersAreNotTakenForDatabaseNames) {
    TranslationContext context;
    context.databaseExists = [](std::string_view) { return true; };
    for (const std::string tail : {"\x01", "\x02", "\x03"}) {
        const auto statements = translateBatch("select x from demo..t where a = 1 " + tail, context);
        ASSERT_EQ(statements.size(), 1u);
        EXPECT_EQ(bindDatabases(statements[0].sql, "master"), "select x from \"demo\".t where a = 1 " + tail);
    }
}

}  // namespace
}  // namespace tallomar::sandbox
