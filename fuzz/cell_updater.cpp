// Random cell changes on a small tool database, one save after another:
// every save either reads back with exactly its cells changed (rows found
// where they moved to) or is refused for a reason a value can give. What
// runs is the save's own edit of the file's bytes and its own read-back
// check (mdb_cell_edit.h), with the file read back by the reader program's
// code in this process; the file handling around them (lock, copy, rename)
// is for the save crash test of tests/mdb/.
#include "fuzz_check.h"
#include "jet4writer/jet4_writer.h"
#include "platform/access/mdb_cell_edit.h"
#include "platform/error.h"
#include "support/memory_file.h"
#include "support/read_in_process.h"

#include <fuzzer/FuzzedDataProvider.h>
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>

namespace {

using namespace tallomar;
using mdb::ColumnKind;

// ZOL's data page is half full and its overflow page holds three moved
// rows; File has text columns only.
jet4::DatabaseSpec fixture() {
    jet4::TableSpec zol{QStringLiteral("ZOL"),
                        {{QStringLiteral("cName"), ColumnKind::Text, 255},
                         {QStringLiteral("cRemark"), ColumnKind::Text, 20, true},
                         {QStringLiteral("cValue"), ColumnKind::Memo},
                         {QStringLiteral("cSys"), ColumnKind::Text, 10}},
                        {}};
    for (int i = 0; i < 12; ++i) {
        jet4::RowSpec row{{QStringLiteral("设置%1").arg(i) + QString(100, QLatin1Char('n')), QStringLiteral("旧"),
                           i % 4 == 0 ? QVariant() : QVariant(QStringLiteral("值%1").arg(i)), QStringLiteral("TDB")}};
        row.deleted = i == 5;
        row.overflow = i >= 9;
        zol.rows.push_back(row);
    }
    jet4::TableSpec file{
        QStringLiteral("File"),
        {{QStringLiteral("cSign"), ColumnKind::Text, 10},
         {QStringLiteral("iOrder"), ColumnKind::LongInteger},
         {QStringLiteral("cPath"), ColumnKind::Text, 255}},
        {{{QStringLiteral("校验"), qint64(1), QStringLiteral("check1.sql")}}, {{QVariant(), qint64(2), QString()}}}};
    return jet4::DatabaseSpec{{zol, file}};
}

QVariant randomValue(FuzzedDataProvider& input) {
    switch (input.ConsumeIntegralInRange(0, 3)) {
        case 0:
            return QVariant();
        case 1:
            return QString::fromUtf8(input.ConsumeRandomLengthString(64));
        default: {
            static const char16_t pieces[] = {u'a', u'\'', u'长', u'说', u' ', u'\\'};
            const QChar piece(pieces[input.ConsumeIntegralInRange<size_t>(0, std::size(pieces) - 1)]);
            return QString(input.ConsumeIntegralInRange(0, 3500), piece);
        }
    }
}

// Every row of `expected` is read at its place with its values.
bool readsAsExpected(const std::vector<mdb::Table>& expected, const std::vector<mdb::Table>& actual) {
    if (actual.size() != expected.size()) return false;
    for (size_t t = 0; t < expected.size(); ++t) {
        if (actual[t].rows.size() != expected[t].rows.size()) return false;
        for (size_t r = 0; r < expected[t].rows.size(); ++r) {
            const auto& locations = actual[t].locations;
            const auto found = std::find(locations.begin(), locations.end(), expected[t].locations[r]);
            if (found == locations.end()) return false;
            const auto& row = actual[t].rows[static_cast<size_t>(found - locations.begin())];
            for (size_t c = 0; c < row.size(); ++c) {
                const QVariant& want = expected[t].rows[r][c];
                if (row[c].isNull() != want.isNull() || (!want.isNull() && row[c] != want)) return false;
            }
        }
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const QString name = QStringLiteral("ZOL.mdb");
    static fuzz::MemoryFile file(name);
    static const QByteArray original = jet4::buildDatabase(fixture());
    static const std::vector<mdb::Table> originalTables = [] {
        file.write(original.constData(), original.size());
        return fuzz::readTablesInProcess(file.path());
    }();
    FuzzedDataProvider input(data, size);
    QByteArray bytes = original;
    std::vector<mdb::Table> current = originalTables;   // as the saved bytes read
    std::vector<mdb::Table> expected = originalTables;  // as the saves so far should have left them

    for (int save = input.ConsumeIntegralInRange(1, 4); save > 0 && input.remaining_bytes() > 0; --save) {
        std::vector<mdb::CellChange> changes;
        std::vector<mdb::Table> after = expected;
        bool refusable = false;  // a value longer than its column, or holding U+0000
        for (int n = input.ConsumeIntegralInRange(1, 3); n > 0; --n) {
            mdb::Table& table = after[input.ConsumeIntegralInRange<size_t>(0, after.size() - 1)];
            std::vector<size_t> textColumns;
            for (size_t c = 0; c < table.columns.size(); ++c) {
                if (table.columns[c].kind == ColumnKind::Text || table.columns[c].kind == ColumnKind::Memo)
                    textColumns.push_back(c);
            }
            const size_t row = input.ConsumeIntegralInRange<size_t>(0, table.rows.size() - 1);
            const size_t column = textColumns[input.ConsumeIntegralInRange<size_t>(0, textColumns.size() - 1)];
            const QVariant value = randomValue(input);
            const bool isName = table.columns[column].name == QLatin1String("cName") ||
                                table.columns[column].name == QLatin1String("cPath");
            const int limit = table.columns[column].kind == ColumnKind::Memo ? INT32_MAX : isName ? 255 : 10;
            refusable = refusable || value.toString().size() > limit || value.toString().contains(QChar(0));
            changes.push_back({table.name, table.locations[row], table.columns[column].name, value});
            table.rows[row][column] = value;
        }
        mdb::CellEdit edit;
        try {
            edit = mdb::editCells(bytes, current, changes, name);
        } catch (const Error& error) {
            const bool expectedRefusal = refusable || error.message().contains(QLatin1String("a page holds rows"));
            if (!expectedRefusal) std::fprintf(stderr, "refused: %s\n", error.what());
            fuzzExpect(expectedRefusal, "only values a column cannot hold and rows larger than a page are refused");
            continue;
        }
        fuzzExpect(!refusable, "a value longer than its column or holding U+0000 is refused");
        file.write(edit.bytes.constData(), edit.bytes.size());
        try {
            std::vector<mdb::Table> readBack = fuzz::readTablesInProcess(file.path());
            mdb::checkReadBack(current, readBack, changes, edit.moves, name);
            current = std::move(readBack);
        } catch (const Error& error) {
            std::fprintf(stderr, "read back: %s\n", error.what());
            fuzzExpect(false, "a changed file reads back, and with exactly its changes");
        }
        for (const mdb::RowMove& move : edit.moves) {
            for (mdb::Table& table : after) {
                if (table.name == move.table)
                    std::replace(table.locations.begin(), table.locations.end(), move.from, move.to);
            }
        }
        expected = std::move(after);
        bytes = std::move(edit.bytes);
        fuzzExpect(readsAsExpected(expected, current), "the file reads back as saved");
    }
    return 0;
}
