// Every failure of the tool database carries its kind, from which the
// windows word it for the operator.
#include "support/file_held_elsewhere.h"
#include "support/tool_fixture.h"
#include "tooldb/tool_database.h"
#include "tooldb/tool_database_error.h"

#include <gtest/gtest.h>
#include <QFile>
#include <QTemporaryDir>
#include <optional>

namespace tallomar {
namespace {

using Kind = tooldb::ToolDatabaseError::Kind;

template <typename Work>
std::optional<Kind> failureKind(Work&& work) {
    try {
        work();
    } catch (const tooldb::ToolDatabaseError& error) {
        return error.kind();
    }
    return std::nullopt;
}

TEST(ToolDatabaseFailure, EachFailureCarriesItsKind) {
    test::ToolDatabaseFile fixture;
    auto database = tooldb::ToolDatabase::open(fixture.path());

    EXPECT_EQ(failureKind([&] { database->execute(QStringLiteral("DELETE FROM ZOL")); }), Kind::Refused);
    EXPECT_EQ(failureKind([&] { database->execute(QStringLiteral("UPDATE ZOL SET cValue='x' WHERE nothing=1")); }),
              Kind::Failed);
    EXPECT_EQ(failureKind([&] { database->query(QStringLiteral("select cValue from Nowhere")); }), Kind::Failed);

    {
        const test::FileHeldElsewhere other(fixture.path());
        ASSERT_TRUE(other.held());
        EXPECT_EQ(failureKind(
                      [&] { database->execute(QStringLiteral("UPDATE ZOL SET cValue='x' WHERE cName='ServerName'")); }),
                  Kind::Busy);
    }
    EXPECT_EQ(database->execute(QStringLiteral("UPDATE ZOL SET cValue='x' WHERE cName='ServerName'")), 1);

    QTemporaryDir folder;
    QFile text(folder.filePath(QStringLiteral("ZOL.mdb")));
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write("not a tool database\n");
    text.close();
    EXPECT_EQ(failureKind([&] { tooldb::ToolDatabase::open(text.fileName()); }), Kind::Unreadable);
}

}  // namespace
}  // namespace tallomar
