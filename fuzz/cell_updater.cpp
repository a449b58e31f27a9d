// Random cell changes on a small tool database, saved in place: every save
// either reads back with exactly its cells changed (rows found where they
// moved to) or is refused for a reason a value can give and leaves the file
// byte for byte as it was.
#include "fuzz_check.h"
#include "jet4writer/jet4_writer.h"
#include "platform/error.h"
#include "platform/access/mdb_cell_updater.h"

#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <cstddef>
#include <cstdint>
#include <fuzzer/FuzzedDataProvider.h>

namespace {

using namespace tallomar;
using mdb::ColumnKind;

// ZOL's data page is half full and its overflow page holds three moved
// rows; File has text columns only.
jet4::DatabaseSpec fixture()
{
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
    jet4::TableSpec file{QStringLiteral("File"),
                         {{QStringLiteral("cSign"), ColumnKind::Text, 10},
                          {QStringLiteral("iOrder"), ColumnKind::LongInteger},
                          {QStringLiteral("cPath"), ColumnKind::Text, 255}},
                         {{{QStringLiteral("校验"), qint64(1), QStringLiteral("check1.sql")}},
                          {{QVariant(), qint64(2), QString()}}}};
    return jet4::DatabaseSpec{{zol, file}};
}

QByteArray bytesOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QVariant randomValue(FuzzedDataProvider& input)
{
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
bool readsAsExpected(const std::vector<mdb::Table>& expected, const std::vector<mdb::Table>& actual)
{
    if (actual.size() != expected.size())
        return false;
    for (size_t t = 0; t < expected.size(); ++t) {
        if (actual[t].rows.size() != expected[t].rows.size())
            return false;
        for (size_t r = 0; r < expected[t].rows.size(); ++r) {
            const auto& locations = actual[t].locations;
            const auto found = std::find(locations.begin(), locations.end(), expected[t].locations[r]);
            if (found == locations.end())
                return false;
            const auto& row = actual[t].rows[static_cast<size_t>(found - locations.begin())];
            for (size_t c = 0; c < row.size(); ++c) {
                const QVariant& want = expected[t].rows[r][c];
                if (row[c].isNull() != want.isNull() || (!want.isNull() && row[c] != want))
                    return false;
            }
        }
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const QByteArray original = jet4::buildDatabase(fixture());
    FuzzedDataProvider input(data, size);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("ZOL.mdb"));
    QFile out(path);
    if (!out.open(QIODevice::WriteOnly) || out.write(original) != original.size())
        return 0;
    out.close();
    std::vector<mdb::Table> expected = mdb::readTables(path);

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
            const bool isName = table.columns[column].name == QLatin1String("cName")
                || table.columns[column].name == QLatin1String("cPath");
            const int limit = table.columns[column].kind == ColumnKind::Memo ? INT32_MAX : isName ? 255 : 10;
            refusable = refusable || value.toString().size() > limit || value.toString().contains(QChar(0));
            changes.push_back({table.name, table.locations[row], table.columns[column].name, value});
            table.rows[row][column] = value;
        }
        const QByteArray before = bytesOf(path);
        try {
            for (const mdb::RowMove& move : mdb::saveCellChanges(path, changes)) {
                for (mdb::Table& table : after) {
                    if (table.name == move.table)
                        std::replace(table.locations.begin(), table.locations.end(), move.from, move.to);
                }
            }
            fuzzExpect(!refusable, "a value longer than its column or holding U+0000 is refused");
            expected = after;
        } catch (const Error& error) {
            fuzzExpect(bytesOf(path) == before, "a refused save leaves the file as it was");
            const bool expectedRefusal = refusable || error.message().contains(QLatin1String("a page holds rows"));
            if (!expectedRefusal)
                std::fprintf(stderr, "refused: %s\n", error.what());
            fuzzExpect(expectedRefusal, "only values a column cannot hold and rows larger than a page are refused");
        }
        fuzzExpect(readsAsExpected(expected, mdb::readTables(path)), "the file reads back as saved");
    }
    return 0;
}
