#include "platform/access/mdb_reader.h"

#include "platform/error.h"
#include "platform/access/mdb_file_header.h"

#include <QFile>
#include <cstdio>
#include <QFileInfo>
#include <fcntl.h>
#include <memory>
#include <mutex>
#include <unistd.h>

#include <mdbtools.h>

namespace tallomar::mdb {

namespace {

// Long memo texts are cut at the bind size; Access keeps up to 65,535
// characters through its forms, which is at most 196,605 bytes of UTF-8.
constexpr size_t kBindSize = 256 * 1024;
constexpr unsigned char kTableDefinitionPage = 0x02;

// libmdb reports what it meets in damaged files on stderr and carries on.
// Its messages are caught in a scratch file instead: the caller gets an
// Error, and a file that refers to pages past its end (cut short at a page
// boundary) is told apart from a whole one. The redirect is process-wide,
// hence one reader at a time.
class LibmdbMessages {
public:
    LibmdbMessages() : lock_(mutex())
    {
        fflush(stderr);
        scratch_ = std::tmpfile();
        saved_ = dup(STDERR_FILENO);
        if (scratch_ && saved_ >= 0)
            dup2(fileno(scratch_), STDERR_FILENO);
    }
    ~LibmdbMessages()
    {
        restore();
        if (scratch_)
            std::fclose(scratch_);
    }
    LibmdbMessages(const LibmdbMessages&) = delete;
    LibmdbMessages& operator=(const LibmdbMessages&) = delete;

    // Everything libmdb wrote so far.
    QByteArray text()
    {
        fflush(stderr);
        if (!scratch_)
            return {};
        QByteArray all;
        std::rewind(scratch_);
        char buffer[4096];
        size_t n = 0;
        while ((n = std::fread(buffer, 1, sizeof buffer, scratch_)) > 0)
            all.append(buffer, static_cast<qsizetype>(n));
        std::fseek(scratch_, 0, SEEK_END);
        return all;
    }

private:
    void restore()
    {
        fflush(stderr);
        if (saved_ >= 0) {
            dup2(saved_, STDERR_FILENO);
            close(saved_);
            saved_ = -1;
        }
    }
    static std::mutex& mutex()
    {
        static std::mutex m;
        return m;
    }
    std::lock_guard<std::mutex> lock_;
    FILE* scratch_ = nullptr;
    int saved_ = -1;
};

struct HandleCloser {
    void operator()(MdbHandle* handle) const { mdb_close(handle); }
};
struct TableFreer {
    void operator()(MdbTableDef* table) const { mdb_free_tabledef(table); }
};
using HandlePtr = std::unique_ptr<MdbHandle, HandleCloser>;
using TablePtr = std::unique_ptr<MdbTableDef, TableFreer>;

ColumnKind kindOf(int type)
{
    switch (type) {
    case MDB_BOOL: return ColumnKind::Boolean;
    case MDB_BYTE: return ColumnKind::Byte;
    case MDB_INT: return ColumnKind::Integer;
    case MDB_LONGINT: return ColumnKind::LongInteger;
    case MDB_MONEY: return ColumnKind::Currency;
    case MDB_FLOAT: return ColumnKind::Single;
    case MDB_DOUBLE: return ColumnKind::Double;
    case MDB_DATETIME: return ColumnKind::DateTime;
    case MDB_TEXT: return ColumnKind::Text;
    case MDB_BINARY: return ColumnKind::Binary;
    case MDB_MEMO: return ColumnKind::Memo;
    case MDB_OLE: return ColumnKind::Ole;
    case MDB_REPID: return ColumnKind::Guid;
    case MDB_NUMERIC: return ColumnKind::Numeric;
    default: return ColumnKind::Other;
    }
}

// Every page the reader hands to libmdb as a table definition must be one:
// a damaged catalogue otherwise sends it reading column lists from data.
class PageChecker {
public:
    PageChecker(const QString& path, const FileHeader& header) : file_(path), header_(header)
    {
        file_.open(QIODevice::ReadOnly);
    }
    bool isTableDefinition(quint32 page)
    {
        if (page == 0 || page >= header_.pageCount)
            return false;
        if (header_.databaseKey != 0)
            return true;  // encoded pages: libmdb decodes them, their type byte is not readable here
        if (!file_.seek(qint64(page) * header_.pageSize))
            return false;
        char type = 0;
        return file_.getChar(&type) && static_cast<unsigned char>(type) == kTableDefinitionPage;
    }

private:
    QFile file_;
    FileHeader header_;
};

QVariant valueOf(MdbHandle* mdb, MdbColumn* column, const MdbField& field, const QByteArray& bound, int length)
{
    if (column->col_type == MDB_BOOL)
        return QVariant(qint64(field.is_null ? 0 : -1));
    if (field.is_null)
        return QVariant();
    const QByteArray text = bound.left(length);
    switch (column->col_type) {
    case MDB_BYTE:
    case MDB_INT:
    case MDB_LONGINT:
        return QVariant(text.toLongLong());
    case MDB_FLOAT:
    case MDB_DOUBLE:
    case MDB_MONEY:
    case MDB_NUMERIC:
        return QVariant(text.toDouble());
    case MDB_OLE: {
        size_t size = 0;
        void* data = mdb_ole_read_full(mdb, column, &size);
        if (!data)
            return QVariant(QByteArray());
        QByteArray bytes(static_cast<const char*>(data), static_cast<qsizetype>(size));
        free(data);
        return QVariant(bytes);
    }
    case MDB_BINARY:
        return QVariant(text);
    default:
        return QVariant(QString::fromUtf8(text));
    }
}

// libmdb skips data pages that lie past the end of the file without a
// word; a table whose usage map names such pages belongs to a truncated file.
void checkDataPagesExist(MdbHandle* mdb, MdbTableDef* table, quint32 pageCount, const QString& fileName)
{
    guint32 page = 0;
    for (;;) {
        const gint32 next = mdb_map_find_next(mdb, table->usage_map, static_cast<unsigned>(table->map_sz), page);
        if (next <= 0 || static_cast<guint32>(next) <= page)
            return;
        if (static_cast<quint32>(next) >= pageCount)
            throw Error(QStringLiteral("%1: the file is truncated (table %2 has data on page %3 of %4)")
                            .arg(fileName, QString::fromUtf8(table->name)).arg(next).arg(pageCount));
        page = static_cast<guint32>(next);
    }
}

TablePtr openTable(MdbHandle* mdb, MdbCatalogEntry* entry, quint32 pageCount, const QString& fileName)
{
    TablePtr def(mdb_read_table(entry));
    if (!def || !mdb_read_columns(def.get()))
        throw Error(QStringLiteral("%1: cannot read the definition of table %2 (damaged file)")
                        .arg(fileName, QString::fromUtf8(entry->object_name)));
    checkDataPagesExist(mdb, def.get(), pageCount, fileName);
    return def;
}

Table readTable(MdbHandle* mdb, MdbCatalogEntry* entry, quint32 pageCount, const QString& fileName)
{
    TablePtr def = openTable(mdb, entry, pageCount, fileName);
    MdbTableDef* table = def.get();

    Table result;
    result.name = QString::fromUtf8(entry->object_name);
    result.definitionPage = static_cast<quint32>(entry->table_pg);
    const unsigned columnCount = table->num_cols;
    std::vector<QByteArray> buffers(columnCount);
    std::vector<int> lengths(columnCount, 0);
    for (unsigned i = 0; i < columnCount; ++i) {
        auto* column = static_cast<MdbColumn*>(g_ptr_array_index(table->columns, i));
        result.columns.push_back({QString::fromUtf8(column->name), kindOf(column->col_type)});
        buffers[i] = QByteArray(static_cast<qsizetype>(kBindSize), '\0');
        mdb_bind_column(table, static_cast<int>(i + 1), buffers[i].data(), &lengths[i]);
    }

    std::vector<MdbField> fields(columnCount);
    mdb_rewind_table(table);
    while (mdb_fetch_row(table)) {
        // libmdb binds NULL and empty text alike; the row's null mask tells
        // them apart, so the row just fetched is cracked once more.
        const unsigned rowIndex = table->cur_row - 1;
        int rowStart = 0;
        size_t rowSize = 0;
        if (mdb_find_row(mdb, static_cast<int>(rowIndex), &rowStart, &rowSize) != 0)
            throw Error(QStringLiteral("%1: damaged row in table %2").arg(fileName, result.name));
        if (mdb_crack_row(table, rowStart & 0x1fff, rowSize, fields.data()) < 0)
            throw Error(QStringLiteral("%1: damaged row in table %2").arg(fileName, result.name));

        std::vector<QVariant> row(columnCount);
        for (unsigned i = 0; i < columnCount; ++i) {
            const int index = fields[i].colnum;
            if (index < 0 || static_cast<unsigned>(index) >= columnCount)
                continue;
            auto* column = static_cast<MdbColumn*>(g_ptr_array_index(table->columns, index));
            row[index] = valueOf(mdb, column, fields[i], buffers[index], lengths[index]);
        }
        result.rows.push_back(std::move(row));
        result.locations.push_back({table->cur_phys_pg, static_cast<quint16>(rowIndex)});
    }
    return result;
}

}  // namespace

std::vector<Table> readTables(const QString& path, const QStringList& only)
{
    const QString fileName = QFileInfo(path).fileName();
    const FileHeader header = readFileHeader(path);
    PageChecker pages(path, header);
    if (!pages.isTableDefinition(2))
        throw Error(QStringLiteral("%1: the table catalogue is missing (damaged file)").arg(fileName));

    LibmdbMessages messages;
    HandlePtr mdb(mdb_open(QFile::encodeName(path).constData(), MDB_NOFLAGS));
    if (!mdb)
        throw Error(QStringLiteral("%1: libmdb cannot open the file").arg(fileName));
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

    std::vector<Table> tables;
    for (unsigned i = 0; i < mdb->num_catalog; ++i) {
        auto* entry = static_cast<MdbCatalogEntry*>(g_ptr_array_index(mdb->catalog, i));
        if (!mdb_is_user_table(entry))
            continue;
        const QString name = QString::fromUtf8(entry->object_name);
        if (!only.isEmpty() && !only.contains(name, Qt::CaseInsensitive))
            continue;
        if (!pages.isTableDefinition(static_cast<quint32>(entry->table_pg)))
            throw Error(QStringLiteral("%1: table %2 points outside its table definition (damaged file)")
                            .arg(fileName, name));
        tables.push_back(readTable(mdb.get(), entry, header.pageCount, fileName));
    }
    const QByteArray complaints = messages.text();
    if (complaints.contains("beyond EOF"))
        throw Error(QStringLiteral("%1: the file is truncated (it refers to pages past its end)").arg(fileName));
    if (complaints.contains("Invalid"))
        throw Error(QStringLiteral("%1: damaged rows (%2)").arg(fileName, QString::fromUtf8(complaints.split('\n').first())));
    return tables;
}

}  // namespace tallomar::mdb
