#include "platform/access/mdb_cell_edit.h"

#include "platform/access/jet4_data_page.h"
#include "platform/access/jet4_format.h"
#include "platform/access/jet4_long_value.h"
#include "platform/access/jet4_page_file.h"
#include "platform/access/jet4_row.h"
#include "platform/access/jet4_table_definition.h"
#include "platform/access/jet4_table_pages.h"
#include "platform/error.h"

#include <algorithm>
#include <optional>

namespace tallomar::mdb {

namespace {

const Table* findTable(const std::vector<Table>& tables, const QString& name) {
    const auto it = std::find_if(tables.begin(), tables.end(),
                                 [&](const Table& t) { return t.name.compare(name, Qt::CaseInsensitive) == 0; });
    return it == tables.end() ? nullptr : &*it;
}

int findColumn(const Table& table, const QString& name) {
    for (size_t i = 0; i < table.columns.size(); ++i) {
        if (table.columns[i].name.compare(name, Qt::CaseInsensitive) == 0) return static_cast<int>(i);
    }
    return -1;
}

int findRow(const Table& table, const RowLocation& location) {
    const auto it = std::find(table.locations.begin(), table.locations.end(), location);
    return it == table.locations.end() ? -1 : static_cast<int>(it - table.locations.begin());
}

bool sameValue(const QVariant& a, const QVariant& b) {
    return a.isNull() == b.isNull() && (a.isNull() || a == b);
}

bool sameName(const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// The changes of each row together, rows in the order they first appear.
std::vector<std::vector<CellChange>> changesByRow(const std::vector<CellChange>& changes) {
    std::vector<std::vector<CellChange>> rows;
    for (const CellChange& change : changes) {
        const auto same = std::find_if(rows.begin(), rows.end(), [&](const std::vector<CellChange>& row) {
            return sameName(row.front().table, change.table) && row.front().location == change.location;
        });
        if (same == rows.end())
            rows.push_back({change});
        else
            same->push_back(change);
    }
    return rows;
}

RowLocation placeAfterMoves(const std::vector<RowMove>& moves, const QString& table, const RowLocation& location) {
    const auto move = std::find_if(moves.begin(), moves.end(),
                                   [&](const RowMove& m) { return sameName(m.table, table) && m.from == location; });
    return move == moves.end() ? location : move->to;
}

QByteArray pointerTo(const RowLocation& location) {
    QByteArray stub;
    jet4::append32(stub, jet4::rowPointer(location.page, static_cast<quint8>(location.row)));
    return stub;
}

// Writes the changes of one row into `file`; a row that no longer fits its
// page moves, which is added to `moves`.
void editRow(jet4::PageFile& file, const std::vector<Table>& tables, const std::vector<CellChange>& changes,
             std::vector<RowMove>& moves) {
    const QString& name = file.name();
    const RowLocation location = changes.front().location;
    const Table* table = findTable(tables, changes.front().table);
    if (!table) throw Error(QStringLiteral("%1: no table %2").arg(name, changes.front().table));
    const QString tableWhere = QStringLiteral("%1: table %2").arg(name, table->name);
    if (findRow(*table, location) < 0)
        throw Error(
            QStringLiteral("%1: no row at page %2, row %3").arg(tableWhere).arg(location.page).arg(location.row));

    const jet4::TableDefinition definition = jet4::parseTableDefinition(
        jet4::tableDefinitionBytes(table->definitionPage, [&file](quint32 n) { return file.page(n); }), tableWhere);
    const QString context = QStringLiteral("%1, page %2").arg(tableWhere).arg(location.page);
    jet4::DataPage data = jet4::DataPage::open(file.page(location.page), context);
    if (location.row >= data.rowCount())
        throw Error(QStringLiteral("%1: no row %2 on the page").arg(context).arg(location.row));
    // libmdb lists a moved row at its new place, whose offset carries the
    // deleted bit alone; the stub left behind is skipped. Both flags
    // together mark a deleted row.
    const quint16 flags = data.rowFlags(location.row);
    if (flags & jet4::kRowOverflow)
        throw Error(QStringLiteral("%1: row %2 is deleted or moved").arg(context).arg(location.row));
    jet4::RawRow row = jet4::decodeRow(data.rowBytes(location.row), definition.varColumns > 0, context);

    for (const CellChange& change : changes) {
        const QString where = QStringLiteral("%1, column %2").arg(tableWhere, change.column);
        const int columnIndex = findColumn(*table, change.column);
        if (columnIndex < 0) throw Error(QStringLiteral("%1: no such column").arg(where));
        const ColumnKind kind = table->columns[columnIndex].kind;
        if (kind != ColumnKind::Text && kind != ColumnKind::Memo)
            throw Error(QStringLiteral("%1: only text and memo cells can be changed").arg(where));
        const auto column = std::find_if(definition.columns.begin(), definition.columns.end(),
                                         [&](const auto& c) { return sameName(c.name, change.column); });
        if (column == definition.columns.end() || column->fixed)
            throw Error(QStringLiteral("%1: the column is not in the table definition").arg(where));
        if (column->indexed)
            throw Error(
                QStringLiteral("%1: the column is indexed; indexed cells cannot be changed in place").arg(where));
        if (!change.value.isNull() && change.value.typeId() != QMetaType::QString)
            throw Error(QStringLiteral("%1: the new value is not text").arg(where));
        const QString text = change.value.toString();
        // libmdb hands text on as C strings: it would end the value there.
        if (text.contains(QChar(0)))
            throw Error(
                QStringLiteral("%1: the new value contains the character U+0000, which text cannot hold").arg(where));
        if (kind == ColumnKind::Text && text.size() * 2 > column->length)
            throw Error(QStringLiteral("%1: the new value has %2 characters, the column holds %3")
                            .arg(where)
                            .arg(text.size())
                            .arg(column->length / 2));
        if (row.varValues.size() <= column->varIndex) row.varValues.resize(column->varIndex + 1);
        row.setPresent(column->number, !change.value.isNull());
        QByteArray value;
        if (!change.value.isNull() && kind == ColumnKind::Memo)
            value = jet4::storeLongValue(jet4::encodeText(text),
                                         [&file](const QByteArray& page) { return file.appendPage(page); });
        else if (!change.value.isNull())
            value = jet4::encodeText(text);
        row.varValues[column->varIndex] = value;
    }

    const QByteArray bytes = jet4::encodeRow(row);
    if (bytes.size() > jet4::kLargestRow)
        throw Error(QStringLiteral("%1: the changed row has %2 bytes; a page holds rows of at most %3 bytes")
                        .arg(context)
                        .arg(bytes.size())
                        .arg(jet4::kLargestRow));
    if (data.replaceRow(location.row, bytes)) {
        file.setPage(location.page, data.bytes());
        return;
    }

    jet4::TablePages pages(file, table->definitionPage, definition.usedPagesMap, tableWhere);
    const RowLocation moved = pages.placeMovedRow(bytes);
    if (flags & jet4::kRowDeleted) {
        // Moved before: the pointer at its first place now points further.
        const std::optional<RowLocation> stub = pages.stubPointingTo(location);
        if (!stub)
            throw Error(QStringLiteral("%1: row %2 was moved here, but no pointer to it was found")
                            .arg(context)
                            .arg(location.row));
        jet4::DataPage stubPage = jet4::DataPage::open(file.page(stub->page), context);
        stubPage.replaceRow(stub->row, pointerTo(moved));
        file.setPage(stub->page, stubPage.bytes());
        data = jet4::DataPage::open(file.page(location.page), context);
        data.setRowFlags(location.row, jet4::kRowDeleted | jet4::kRowOverflow);
    } else {
        data.replaceRow(location.row, pointerTo(moved));
        data.setRowFlags(location.row, jet4::kRowOverflow);
    }
    file.setPage(location.page, data.bytes());
    moves.push_back({table->name, location, moved});
}

}  // namespace

CellEdit editCells(const QByteArray& file, const std::vector<Table>& tables, const std::vector<CellChange>& changes,
                   const QString& name) {
    CellEdit edit{file, {}};
    jet4::PageFile pages(edit.bytes, name);
    for (const std::vector<CellChange>& rowChanges : changesByRow(changes))
        editRow(pages, tables, rowChanges, edit.moves);
    return edit;
}

void checkReadBack(const std::vector<Table>& before, const std::vector<Table>& after,
                   const std::vector<CellChange>& changes, const std::vector<RowMove>& moves, const QString& name) {
    const auto mismatch = [&name](const QString& what) {
        return Error(QStringLiteral("%1: the changed copy did not read back as expected (%2); nothing was saved")
                         .arg(name, what));
    };
    if (after.size() != before.size()) throw mismatch(QStringLiteral("table count"));
    for (size_t t = 0; t < before.size(); ++t) {
        const Table& old = before[t];
        const Table& now = after[t];
        if (now.name != old.name || now.rows.size() != old.rows.size() || now.columns.size() != old.columns.size())
            throw mismatch(QStringLiteral("table %1").arg(old.name));
        for (size_t r = 0; r < old.rows.size(); ++r) {
            const RowLocation place = placeAfterMoves(moves, old.name, old.locations[r]);
            const auto found = std::find(now.locations.begin(), now.locations.end(), place);
            if (found == now.locations.end())
                throw mismatch(QStringLiteral("table %1, row %2 not found at page %3, row %4")
                                   .arg(old.name)
                                   .arg(r + 1)
                                   .arg(place.page)
                                   .arg(place.row));
            const std::vector<QVariant>& values = now.rows[static_cast<size_t>(found - now.locations.begin())];
            for (size_t c = 0; c < old.columns.size(); ++c) {
                QVariant expected = old.rows[r][c];
                for (const CellChange& change : changes) {
                    if (sameName(change.table, old.name) && change.location == old.locations[r] &&
                        sameName(change.column, old.columns[c].name))
                        expected = change.value;
                }
                if (!sameValue(expected, values[c]))
                    throw mismatch(QStringLiteral("table %1, row %2, column %3")
                                       .arg(old.name)
                                       .arg(r + 1)
                                       .arg(old.columns[c].name));
            }
        }
    }
}

}  // namespace tallomar::mdb
