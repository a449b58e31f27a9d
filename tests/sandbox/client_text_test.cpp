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

// RAISERROR's numbers take their whole part; one that does not fit an int
// is out of range like any other, not a reason to drop the connection.
TEST(ClientText, RaiserrorNumbersOfAnyShape) {
    const auto raise = [](const std::string& arguments) {
        return translateBatch("raiserror('x', " + arguments + ")", TranslationContext{}).at(0).message;
    };
    EXPECT_EQ(raise(".7, 1").severity, 0);
    EXPECT_EQ(raise("16, 99999999999").state, 1);
    EXPECT_EQ(raise("16, -99999999999").state, 1);
    EXPECT_EQ(raise("16.9, 2.5").severity, 16);
    EXPECT_THROW(raise("99999999999, 1"), TsqlError);
}

}  // namespace
}  // namespace tallomar::sandbox
