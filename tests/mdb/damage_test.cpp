// Damaged tool databases are refused within seconds with a message naming
// the file and what is wrong: never a crash, a hang, an empty table or a
// cut memo.
#include "jet4writer/damage.h"
#include "jet4writer/jet4_writer.h"
#include "mdb_fixture.h"
#include "platform/access/jet4_table_definition.h"
#include "platform/access/mdb_reader.h"
#include "platform/error.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <algorithm>

namespace tallomar::test {
namespace {

constexpr qint64 kAnswerWithinMs = 6'000;

class Damage : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        path = dir.filePath(QStringLiteral("ZOL.mdb"));
        whole = jet4::buildDatabase(toolDatabaseSpec());
        writeBytes(path, whole);
        file = tableNamed(mdb::readTables(path), QStringLiteral("File"));
    }

    // Reading `bytes` as ZOL.mdb is refused in good time, naming the file
    // and saying `fact`.
    void expectRefused(const QByteArray& bytes, const QString& fact) {
        writeBytes(path, bytes);
        QElapsedTimer clock;
        clock.start();
        try {
            const auto tables = mdb::readTables(path);
            ADD_FAILURE() << "read " << tables.size() << " tables; expected: " << fact.toStdString();
        } catch (const Error& error) {
            EXPECT_TRUE(error.message().startsWith(QStringLiteral("ZOL.mdb: "))) << error.what();
            EXPECT_TRUE(error.message().contains(fact)) << error.what();
        }
        EXPECT_LT(clock.elapsed(), kAnswerWithinMs);
        EXPECT_EQ(fileBytes(path), bytes) << "the file was changed";
    }

    QTemporaryDir dir;
    QString path;
    QByteArray whole;
    mdb::Table file;
};

TEST_F(Damage, AFlippedBitInAUsageMapPointerIsRefused) {
    // Bits 3-12 crash libmdb; bit 8 names the header page as the map; the
    // others point outside the map page. Bit 0 names the free-space map,
    // which the writer fills alike, so the file still reads correctly.
    for (int bit : {3, 8, 12, 20}) {
        QByteArray bytes = whole;
        jet4::flipUsageMapPointerBit(bytes, file.definitionPage, bit);
        expectRefused(bytes, QStringLiteral("the file is damaged"));
    }
}

TEST_F(Damage, AnEmptyUsageMapIsRefused) {
    // libmdb 1.0 crashes on it in every walk over the table's pages.
    QByteArray bytes = whole;
    jet4::emptyUsageMap(bytes, file.definitionPage);
    expectRefused(bytes, QStringLiteral("the file is damaged: the usage map of table File is empty"));
}

TEST_F(Damage, ATextOrMemoWhoseBoundsAreReversedIsRefused) {
    // libmdb hands on such a value with a negative length.
    const mdb::Table zol = tableNamed(mdb::readTables(path), QStringLiteral("ZOL"));
    const jet4::TableDefinition definition = jet4::parseTableDefinition(
        jet4::tableDefinitionBytes(
            zol.definitionPage,
            [this](quint32 page) { return whole.mid(qsizetype(page) * jet4::kPageSize, jet4::kPageSize); }),
        QStringLiteral("ZOL"));
    for (const QString& name : {QStringLiteral("cValue"), QStringLiteral("cName")}) {
        SCOPED_TRACE(name.toStdString());
        const auto column = std::find_if(definition.columns.begin(), definition.columns.end(),
                                         [&](const auto& c) { return c.name == name; });
        ASSERT_NE(column, definition.columns.end());
        QByteArray bytes = whole;
        jet4::reverseValueBounds(bytes, zol.locations.front().page, zol.locations.front().row, column->varIndex);
        expectRefused(bytes, QStringLiteral("the file is damaged: the value of column %1 in table ZOL does not lie "
                                            "within its row")
                                 .arg(name));
    }
}

TEST_F(Damage, LoopingPropertyDataIsStoppedInSeconds) {
    QByteArray bytes = whole;
    jet4::flipPropertyLengthBit(bytes);
    expectRefused(bytes, QStringLiteral("the file is damaged: reading the table catalogue"));
}

TEST_F(Damage, AZeroedDataPageIsNotAnEmptyTable) {
    QByteArray bytes = whole;
    jet4::zeroPage(bytes, file.locations.front().page);
    expectRefused(bytes,
                  QStringLiteral("the file is damaged: table File holds 2 rows by its definition, 0 could be read"));
}

TEST_F(Damage, AZeroedLongValuePageIsNotACutMemo) {
    QByteArray bytes = whole;
    jet4::zeroPage(bytes, jet4::firstLongValuePage(bytes));
    expectRefused(bytes, QStringLiteral("the file is damaged: the long value of column cValue in table ZOL"));
}

}  // namespace
}  // namespace tallomar::test
