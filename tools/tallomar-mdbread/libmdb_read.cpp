#include "libmdb_read.h"

#include "long_values.h"
#include "platform/access/mdb_file_header.h"
#include "platform/access/table_transfer.h"
#include "platform/error.h"
#include "text_values.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cstdio>
#include <map>
#include <memory>
#include <set>

#include <mdbtools.h>

namespace tallomar::mdb {

namespace {

// libmdb cuts what it writes into a bound column at the bind size. Only
// short values are bound: a text value lies within one row, so within one
// page (at most 4,096 stored bytes, each giving at most three of UTF-8).
// Memo and OLE values, which may be far longer, are read by LongValues.
constexpr size_t kBindSize = 16 * 1024;
constexpr unsigned char kTableDefinitionPage = 0x02;

struct HandleCloser {
    void operator()(MdbHandle* handle) const { mdb_close(handle); }
};
struct TableFreer {
    void operator()(MdbTableDef* table) const { mdb_free_tabledef(table); }
};
using HandlePtr = std::unique_ptr<MdbHandle, HandleCloser>;
using TablePtr = std::unique_ptr<MdbTableDef, TableFreer>;

ColumnKind kindOf(int type) {
    switch (type) {
        case MDB_BOOL:
            return ColumnKind::Boolean;
        case MDB_BYTE:
            return ColumnKind::Byte;
        case MDB_INT:
            return ColumnKind::Integer;
        case MDB_LONGINT:
            return ColumnKind::LongInteger;
        case MDB_MONEY:
            return ColumnKind::Currency;
        case MDB_FLOAT:
            return ColumnKind::Single;
        case MDB_DOUBLE:
            return ColumnKind::Double;
        case MDB_DATETIME:
            return ColumnKind::DateTime;
        case MDB_TEXT:
            return ColumnKind::Text;
        case MDB_BINARY:
            return ColumnKind::Binary;
        case MDB_MEMO:
            return ColumnKind::Memo;
        case MDB_OLE:
            return ColumnKind::Ole;
        case MDB_REPID:
            return ColumnKind::Guid;
        case MDB_NUMERIC:
            return ColumnKind::Numeric;
        default:
            return ColumnKind::Other;
    }
}

// Every page the reader hands to libmdb as a table definition must be one:
// a damaged catalogue otherwise sends it reading column lists from data.
class PageChecker {
public:
    PageChecker(const QString& path, const FileHeader& header) : file_(path), header_(header) {
        file_.open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    }
    bool isTableDefinition(quint32 page) {
        if (page == 0 || page >= header_.pageCount) return false;
        if (header_.databaseKey != 0)
            return true;  // encoded pages: libmdb decodes them, their type byte is not readable here
        if (!file_.seek(qint64(page) * header_.pageSize)) return false;
        char type = 0;
        return file_.getChar(&type) && static_cast<unsigned char>(type) == kTableDefinitionPage;
    }

private:
    QFile file_;
    FileHeader header_;
};

bool isLongValue(const MdbColumn* column) {
    return column->col_type == MDB_MEMO || column->col_type == MDB_OLE;
}

// Text, memo and OLE values are read from the row itself, not from what
// libmdb binds.
bool readFromRow(const MdbColumn* column) {
    return isLongValue(column) || column->col_type == MDB_TEXT;
}

bool withinRow(const MdbField& field, int rowStart, size_t rowSize) {
    return field.siz >= 0 && field.start >= rowStart &&
           static_cast<size_t>(field.start - rowStart) + static_cast<size_t>(field.siz) <= rowSize;
}

void encodeValue(TableEncoder& out, LongValues& longValues, const TextValues& texts, const MdbColumn* column,
                 const MdbField& field, const char* bound, int length, const QString& table) {
    if (column->col_type == MDB_BOOL) {
        out.addInteger(field.is_null ? 0 : -1);
        return;
    }
    if (field.is_null) {
        out.addNull();
        return;
    }
    switch (column->col_type) {
        case MDB_BYTE:
        case MDB_INT:
        case MDB_LONGINT:
            out.addInteger(QByteArray::fromRawData(bound, length).toLongLong());
            return;
        case MDB_FLOAT:
        case MDB_DOUBLE:
        case MDB_MONEY:
        case MDB_NUMERIC:
            out.addDouble(QByteArray::fromRawData(bound, length).toDouble());
            return;
        case MDB_MEMO:
        case MDB_OLE: {
            const QString where = QStringLiteral("column %1 in table %2").arg(QString::fromUtf8(column->name), table);
            const QByteArray stored = longValues.read(static_cast<const unsigned char*>(field.value), field.siz, where);
            if (column->col_type == MDB_OLE) {
                out.addBytes(stored.constData(), stored.size());
            } else {
                const QByteArray text = texts.utf8(stored.constData(), static_cast<size_t>(stored.size()), where);
                out.addText(text.constData(), static_cast<int>(text.size()));
            }
            return;
        }
        case MDB_TEXT: {
            const QByteArray text =
                texts.utf8(static_cast<const char*>(field.value), static_cast<size_t>(field.siz),
                           QStringLiteral("column %1 in table %2").arg(QString::fromUtf8(column->name), table));
            out.addText(text.constData(), static_cast<int>(text.size()));
            return;
        }
        case MDB_BINARY:
            out.addBytes(bound, length);
            return;
        default:
            out.addText(bound, length);
            return;
    }
}

// libmdb skips data pages that lie past the end of the file without a
// word; a table whose usage map names such pages belongs to a truncated file.
void checkDataPagesExist(MdbHandle* mdb, MdbTableDef* table, quint32 pageCount, const QString& fileName) {
    guint32 page = 0;
    for (;;) {
        const gint32 next = mdb_map_find_next(mdb, table->usage_map, static_cast<unsigned>(table->map_sz), page);
        if (next <= 0 || static_cast<guint32>(next) <= page) return;
        if (static_cast<quint32>(next) >= pageCount)
            throw Error(QStringLiteral("%1: the file is truncated (table %2 has data on page %3 of %4)")
                            .arg(fileName, QString::fromUtf8(table->name))
                            .arg(next)
                            .arg(pageCount));
        page = static_cast<guint32>(next);
    }
}

// The bytes a value of a fixed-length type takes in a row; 0 for the others.
int fixedLength(int type) {
    switch (type) {
        case MDB_BYTE:
            return 1;
        case MDB_INT:
            return 2;
        case MDB_LONGINT:
        case MDB_FLOAT:
            return 4;
        case MDB_MONEY:
        case MDB_DOUBLE:
        case MDB_DATETIME:
            return 8;
        case MDB_REPID:
            return 16;
        default:
            return 0;
    }
}

// A table definition keeps each column's length beside its type, and Access
// writes them in agreement: a flipped bit in either (a text column read as
// dates, an integer read as a double) shows as a disagreement. So does one
// in where a column lies in the row: no two columns share a null-mask bit,
// a variable slot or bytes of the fixed area.
void checkColumnLayout(MdbTableDef* table, const QString& fileName) {
    const QString tableName = QString::fromUtf8(table->name);
    const auto damaged = [&](const MdbColumn* column, const QString& what) {
        return Error(QStringLiteral("%1: the file is damaged: column %2 of table %3 %4")
                         .arg(fileName, QString::fromUtf8(column->name), tableName, what));
    };
    std::set<int> numbers;
    std::set<unsigned> varSlots;
    std::map<int, const MdbColumn*> fixedStarts;
    for (unsigned i = 0; i < table->num_cols; ++i) {
        const auto* column = static_cast<const MdbColumn*>(g_ptr_array_index(table->columns, i));
        const int expected = fixedLength(column->col_type);
        if (expected != 0 && column->col_size != expected)
            throw damaged(column, QStringLiteral("has the type of a %1-byte value (type %2) and a length of %3")
                                      .arg(expected)
                                      .arg(column->col_type)
                                      .arg(column->col_size));
        if (!numbers.insert(column->col_num).second)
            throw damaged(column, QStringLiteral("has the number %1 of another column").arg(column->col_num));
        if (!column->is_fixed && !varSlots.insert(column->var_col_num).second)
            throw damaged(column,
                          QStringLiteral("has the variable slot %1 of another column").arg(column->var_col_num));
        if (column->is_fixed && column->col_size > 0 && !fixedStarts.emplace(column->fixed_offset, column).second)
            throw damaged(column, QStringLiteral("overlaps another column at byte %1").arg(column->fixed_offset));
    }
    int fixedEnd = 0;
    for (const auto& [start, column] : fixedStarts) {
        if (start < fixedEnd) throw damaged(column, QStringLiteral("overlaps another column at byte %1").arg(start));
        fixedEnd = start + column->col_size;
    }
}

// A usage map row of no bytes: libmdb 1.0.0 keeps it as a null map, which
// every walk over the table's pages then reads; 1.0.1 refuses the whole
// table without saying why. Looked at before libmdb reads the table, so that
// the file is refused alike whichever libmdb the reader was built with.
bool usageMapIsEmpty(MdbHandle* mdb, const MdbCatalogEntry* entry) {
    if (mdb_read_pg(mdb, entry->table_pg) != static_cast<ssize_t>(mdb->fmt->pg_size)) return false;
    const int mapRow = static_cast<int>(mdb_get_int32(mdb->pg_buf, mdb->fmt->tab_usage_map_offset));
    void* page = nullptr;
    int start = 0;
    size_t length = 0;
    return mdb_find_pg_row(mdb, mapRow, &page, &start, &length) == 0 && length == 0;
}

TablePtr openTable(MdbHandle* mdb, MdbCatalogEntry* entry, quint32 pageCount, const QString& fileName) {
    const QString name = QString::fromUtf8(entry->object_name);
    if (usageMapIsEmpty(mdb, entry))
        throw Error(QStringLiteral("%1: the file is damaged: the usage map of table %2 is empty").arg(fileName, name));
    TablePtr def(mdb_read_table(entry));
    if (!def || !mdb_read_columns(def.get()))
        throw Error(
            QStringLiteral("%1: the file is damaged: the definition of table %2 cannot be read").arg(fileName, name));
    checkColumnLayout(def.get(), fileName);
    checkDataPagesExist(mdb, def.get(), pageCount, fileName);
    return def;
}

void readTable(TableEncoder& out, LongValues& longValues, const TextValues& texts, MdbHandle* mdb,
               MdbCatalogEntry* entry, quint32 pageCount, const QString& fileName) {
    const QString name = QString::fromUtf8(entry->object_name);
    TablePtr def = openTable(mdb, entry, pageCount, fileName);
    MdbTableDef* table = def.get();

    out.beginTable(QByteArray(entry->object_name), static_cast<quint32>(entry->table_pg));
    const unsigned columnCount = table->num_cols;
    std::vector<QByteArray> buffers(columnCount);
    std::vector<int> lengths(columnCount, 0);
    std::vector<MdbColumn*> columns(columnCount);
    for (unsigned i = 0; i < columnCount; ++i) {
        columns[i] = static_cast<MdbColumn*>(g_ptr_array_index(table->columns, i));
        out.addColumn(QByteArray(columns[i]->name), kindOf(columns[i]->col_type));
        if (readFromRow(columns[i])) continue;
        buffers[i] = QByteArray(static_cast<qsizetype>(kBindSize), '\0');
        mdb_bind_column(table, static_cast<int>(i + 1), buffers[i].data(), &lengths[i]);
    }

    quint32 rowsRead = 0;
    std::vector<MdbField> fields(columnCount);
    std::vector<const MdbField*> fieldOfColumn(columnCount);
    mdb_rewind_table(table);
    while (mdb_fetch_row(table)) {
        // libmdb binds NULL and empty text alike; the row's null mask tells
        // them apart, so the row just fetched is cracked once more.
        const unsigned rowIndex = table->cur_row - 1;
        int rowStart = 0;
        size_t rowSize = 0;
        if (mdb_find_row(mdb, static_cast<int>(rowIndex), &rowStart, &rowSize) != 0 ||
            mdb_crack_row(table, rowStart & 0x1fff, rowSize, fields.data()) < 0)
            throw Error(QStringLiteral("%1: damaged row in table %2").arg(fileName, name));
        std::fill(fieldOfColumn.begin(), fieldOfColumn.end(), nullptr);
        for (const MdbField& field : fields)
            if (field.colnum >= 0 && static_cast<unsigned>(field.colnum) < columnCount)
                fieldOfColumn[field.colnum] = &field;
        // Values read from the row: libmdb takes a value's length as the
        // difference of two offsets of the row, which a damaged row may hold
        // in the wrong order: its bounds check then passes a negative length.
        for (unsigned i = 0; i < columnCount; ++i)
            if (fieldOfColumn[i] && !fieldOfColumn[i]->is_null && readFromRow(columns[i]) &&
                !withinRow(*fieldOfColumn[i], rowStart & 0x1fff, rowSize))
                throw Error(QStringLiteral("%1: the file is damaged: the value of column %2 in table %3 does not lie "
                                           "within its row")
                                .arg(fileName, QString::fromUtf8(columns[i]->name), name));

        out.beginRow({table->cur_phys_pg, static_cast<quint16>(rowIndex)});
        ++rowsRead;
        for (unsigned i = 0; i < columnCount; ++i) {
            if (fieldOfColumn[i])
                encodeValue(out, longValues, texts, columns[i], *fieldOfColumn[i], buffers[i].constData(), lengths[i],
                            name);
            else
                out.addNull();
        }
        out.endRow();
    }
    // Access keeps each table's row count in its definition; rows that a
    // damaged usage map hides from libmdb show up here.
    if (rowsRead != table->num_rows)
        throw Error(
            QStringLiteral("%1: the file is damaged: table %2 holds %3 rows by its definition, %4 could be read")
                .arg(fileName, name)
                .arg(table->num_rows)
                .arg(rowsRead));
}

}  // namespace

void readWithLibmdb(const QString& path, const FileHeader& header, const QStringList& only,
                    const std::function<void(const QString&)>& step,
                    const std::function<void(const QByteArray&)>& output) {
    const QString fileName = QFileInfo(path).fileName();
    PageChecker pages(path, header);
    if (!pages.isTableDefinition(2))
        throw Error(QStringLiteral("%1: the table catalogue is missing (damaged file)").arg(fileName));

    step(QStringLiteral("the table catalogue"));
    // File names reach libmdb in UTF-8: the file system's own on Linux, and
    // on Windows what the build's libmdb opens through the wide-character calls.
    HandlePtr mdb(mdb_open(path.toUtf8().constData(), MDB_NOFLAGS));
    if (!mdb) throw Error(QStringLiteral("%1: libmdb cannot open the file").arg(fileName));
    mdb_set_bind_size(mdb.get(), kBindSize);
    mdb_set_date_fmt(mdb.get(), "%Y-%m-%d %H:%M:%S");
    mdb_set_shortdate_fmt(mdb.get(), "%Y-%m-%d");
    mdb_set_boolean_fmt_numbers(mdb.get());
    MdbCatalogEntry catalogue{};
    catalogue.mdb = mdb.get();
    catalogue.object_type = MDB_TABLE;
    catalogue.table_pg = 2;
    std::snprintf(catalogue.object_name, sizeof catalogue.object_name, "MSysObjects");
    openTable(mdb.get(), &catalogue, header.pageCount, fileName);
    if (!mdb_read_catalog(mdb.get(), MDB_TABLE))
        throw Error(QStringLiteral("%1: cannot read the table catalogue (damaged or encrypted file)").arg(fileName));

    TableEncoder tables(output);
    LongValues longValues(mdb.get(), header.pageCount, fileName);
    const TextValues texts(mdb.get(), fileName);
    for (unsigned i = 0; i < mdb->num_catalog; ++i) {
        auto* entry = static_cast<MdbCatalogEntry*>(g_ptr_array_index(mdb->catalog, i));
        if (!mdb_is_user_table(entry)) continue;
        const QString name = QString::fromUtf8(entry->object_name);
        if (!only.isEmpty() && !only.contains(name, Qt::CaseInsensitive)) continue;
        if (!pages.isTableDefinition(static_cast<quint32>(entry->table_pg)))
            throw Error(
                QStringLiteral("%1: table %2 points outside its table definition (damaged file)").arg(fileName, name));
        step(QStringLiteral("table %1").arg(name));
        readTable(tables, longValues, texts, mdb.get(), entry, header.pageCount, fileName);
    }
    tables.finish();
}

}  // namespace tallomar::mdb
