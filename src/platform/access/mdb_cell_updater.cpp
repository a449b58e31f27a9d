#include "platform/access/mdb_cell_updater.h"

#include "platform/error.h"
#include "platform/access/jet4_data_page.h"
#include "platform/access/jet4_format.h"
#include "platform/access/jet4_row.h"
#include "platform/access/jet4_table_definition.h"
#include "platform/access/mdb_cell_save.h"
#include "platform/access/mdb_file_header.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tallomar::mdb {

namespace {

QString systemError() { return QString::fromLocal8Bit(std::strerror(errno)); }

const Table* findTable(const std::vector<Table>& tables, const QString& name)
{
    const auto it = std::find_if(tables.begin(), tables.end(), [&](const Table& t) {
        return t.name.compare(name, Qt::CaseInsensitive) == 0;
    });
    return it == tables.end() ? nullptr : &*it;
}

int findColumn(const Table& table, const QString& name)
{
    for (size_t i = 0; i < table.columns.size(); ++i) {
        if (table.columns[i].name.compare(name, Qt::CaseInsensitive) == 0)
            return static_cast<int>(i);
    }
    return -1;
}

int findRow(const Table& table, const RowLocation& location)
{
    const auto it = std::find(table.locations.begin(), table.locations.end(), location);
    return it == table.locations.end() ? -1 : static_cast<int>(it - table.locations.begin());
}

bool sameValue(const QVariant& a, const QVariant& b)
{
    return a.isNull() == b.isNull() && (a.isNull() || a == b);
}

void writeAll(int fd, const QByteArray& bytes, const QString& path)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + done, static_cast<size_t>(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            throw Error(QStringLiteral("%1: cannot write: %2").arg(path, systemError()));
        done += n;
    }
    if (::fsync(fd) != 0)
        throw Error(QStringLiteral("%1: cannot flush to disk: %2").arg(path, systemError()));
}

// A new file in `folder` holding `bytes`, flushed, with `mode`.
QString writeTemporary(const QString& folder, const QString& stem, const QByteArray& bytes, unsigned mode)
{
    QByteArray pattern = QFile::encodeName(QDir(folder).filePath(QStringLiteral(".%1.XXXXXX").arg(stem)));
    const int fd = ::mkstemp(pattern.data());
    const QString path = QFile::decodeName(pattern);
    if (fd < 0)
        throw Error(QStringLiteral("%1: cannot create a file in the folder: %2").arg(folder, systemError()));
    try {
        if (::fchmod(fd, mode) != 0)
            throw Error(QStringLiteral("%1: cannot set the file mode: %2").arg(path, systemError()));
        writeAll(fd, bytes, path);
    } catch (...) {
        ::close(fd);
        ::unlink(pattern.constData());
        throw;
    }
    ::close(fd);
    return path;
}

void syncFolder(const QString& folder)
{
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

}  // namespace

CellSave::CellSave(const QString& path, const std::vector<CellChange>& changes)
    : path_(path), name_(QFileInfo(path).fileName())
{
    const FileHeader header = readFileHeader(path);
    if (header.version != JetVersion::Jet4)
        throw Error(QStringLiteral("%1: changes are written only to Jet 4 files; this file has version byte %2")
                        .arg(name_).arg(header.rawVersion));
    if (header.databaseKey != 0)
        throw Error(QStringLiteral("%1: the file is encrypted; changes cannot be written to it").arg(name_));
    checkNoAccessLock();
    try {
        lockFile();
        const std::vector<Table> before = readTables(path);
        changed_ = original_;
        for (const CellChange& change : changes)
            applyChange(before, change);
        writeCopy();
        verifyCopy(before, changes);
    } catch (...) {
        if (!copyPath_.isEmpty())
            QFile::remove(copyPath_);
        if (fd_ >= 0)
            ::close(fd_);
        throw;
    }
}

CellSave::~CellSave()
{
    if (!committed_ && !copyPath_.isEmpty())
        QFile::remove(copyPath_);
    if (fd_ >= 0)
        ::close(fd_);
}

void CellSave::checkNoAccessLock() const
{
    const QFileInfo info(path_);
    const QString stem = info.completeBaseName();
    const QStringList locks = info.dir().entryList({stem + QStringLiteral(".ldb"), stem + QStringLiteral(".laccdb")},
                                                   QDir::Files | QDir::Hidden | QDir::System);
    if (!locks.isEmpty())
        throw Error(QStringLiteral("%1: the file is open in another program (lock file %2 present); nothing was saved")
                        .arg(name_, locks.first()));
}

void CellSave::lockFile()
{
    fd_ = ::open(QFile::encodeName(path_).constData(), O_RDONLY | O_CLOEXEC);
    if (fd_ < 0)
        throw Error(QStringLiteral("%1: cannot open: %2").arg(name_, systemError()));
    if (::flock(fd_, LOCK_EX | LOCK_NB) != 0)
        throw Error(QStringLiteral("%1: the file is being changed by another process; nothing was saved").arg(name_));
    struct stat status {};
    if (::fstat(fd_, &status) == 0)
        mode_ = status.st_mode & 07777;
    QFile file;
    if (!file.open(fd_, QIODevice::ReadOnly, QFileDevice::DontCloseHandle))
        throw Error(QStringLiteral("%1: cannot read: %2").arg(name_, file.errorString()));
    original_ = file.readAll();
}

void CellSave::applyChange(const std::vector<Table>& tables, const CellChange& change)
{
    const Table* table = findTable(tables, change.table);
    if (!table)
        throw Error(QStringLiteral("%1: no table %2").arg(name_, change.table));
    const QString where = QStringLiteral("%1: table %2, column %3").arg(name_, table->name, change.column);
    const int columnIndex = findColumn(*table, change.column);
    if (columnIndex < 0)
        throw Error(QStringLiteral("%1: no such column").arg(where));
    const ColumnKind kind = table->columns[columnIndex].kind;
    if (kind != ColumnKind::Text && kind != ColumnKind::Memo)
        throw Error(QStringLiteral("%1: only text and memo cells can be changed").arg(where));
    if (findRow(*table, change.location) < 0)
        throw Error(QStringLiteral("%1: no row at page %2, row %3")
                        .arg(where).arg(change.location.page).arg(change.location.row));

    const auto page = [this](quint32 number) {
        if (qint64(number + 1) * jet4::kPageSize > changed_.size())
            throw Error(QStringLiteral("%1: page %2 lies beyond the end of the file").arg(name_).arg(number));
        return changed_.mid(qint64(number) * jet4::kPageSize, jet4::kPageSize);
    };
    const jet4::TableDefinition definition =
        jet4::parseTableDefinition(jet4::tableDefinitionBytes(table->definitionPage, page), where);
    const auto column = std::find_if(definition.columns.begin(), definition.columns.end(), [&](const auto& c) {
        return c.name.compare(change.column, Qt::CaseInsensitive) == 0;
    });
    if (column == definition.columns.end() || column->fixed)
        throw Error(QStringLiteral("%1: the column is not in the table definition").arg(where));
    if (column->indexed)
        throw Error(QStringLiteral("%1: the column is indexed; indexed cells cannot be changed in place").arg(where));
    if (!change.value.isNull() && change.value.typeId() != QMetaType::QString)
        throw Error(QStringLiteral("%1: the new value is not text").arg(where));
    const QString text = change.value.toString();
    if (kind == ColumnKind::Text && text.size() * 2 > column->length)
        throw Error(QStringLiteral("%1: the new value has %2 characters, the column holds %3")
                        .arg(where).arg(text.size()).arg(column->length / 2));

    // libmdb lists a row that moved to another page (an overflow row) at
    // its new place, whose offset carries the deleted bit alone; the stub
    // left behind is skipped. Both flags together mark a deleted row.
    const quint32 pageNumber = change.location.page;
    const int rowIndex = change.location.row;
    const QString context = QStringLiteral("%1, page %2").arg(where).arg(pageNumber);
    jet4::DataPage data = jet4::DataPage::open(page(pageNumber), context);
    if (rowIndex >= data.rowCount())
        throw Error(QStringLiteral("%1: no row %2 on the page").arg(context).arg(rowIndex));
    const quint16 flags = data.rowFlags(rowIndex);
    if (flags & jet4::kRowOverflow)
        throw Error(QStringLiteral("%1: row %2 is deleted or moved").arg(context).arg(rowIndex));
    jet4::RawRow row = jet4::decodeRow(data.rowBytes(rowIndex), definition.varColumns > 0, context);
    if (row.varValues.size() <= column->varIndex)
        row.varValues.resize(column->varIndex + 1);
    row.setPresent(column->number, !change.value.isNull());
    QByteArray value;
    if (!change.value.isNull())
        value = kind == ColumnKind::Memo ? jet4::encodeInlineLongValue(jet4::encodeText(text)) : jet4::encodeText(text);
    row.varValues[column->varIndex] = value;
    data.replaceRow(rowIndex, jet4::encodeRow(row));
    changed_.replace(qint64(pageNumber) * jet4::kPageSize, jet4::kPageSize, data.bytes());
}

void CellSave::writeCopy()
{
    const QFileInfo info(path_);
    copyPath_ = writeTemporary(info.absolutePath(), info.fileName(), changed_, mode_);
}

void CellSave::verifyCopy(const std::vector<Table>& before, const std::vector<CellChange>& changes) const
{
    const std::vector<Table> after = readTables(copyPath_);
    const auto mismatch = [this](const QString& what) {
        return Error(QStringLiteral("%1: the changed copy did not read back as expected (%2); nothing was saved")
                         .arg(name_, what));
    };
    if (after.size() != before.size())
        throw mismatch(QStringLiteral("table count"));
    for (size_t t = 0; t < before.size(); ++t) {
        const Table& old = before[t];
        const Table& now = after[t];
        if (now.name != old.name || now.rows.size() != old.rows.size() || now.locations != old.locations
            || now.columns.size() != old.columns.size())
            throw mismatch(QStringLiteral("table %1").arg(old.name));
        for (size_t r = 0; r < old.rows.size(); ++r) {
            for (size_t c = 0; c < old.columns.size(); ++c) {
                QVariant expected = old.rows[r][c];
                for (const CellChange& change : changes) {
                    if (change.table.compare(old.name, Qt::CaseInsensitive) == 0 && change.location == old.locations[r]
                        && change.column.compare(old.columns[c].name, Qt::CaseInsensitive) == 0)
                        expected = change.value;
                }
                if (!sameValue(expected, now.rows[r][c]))
                    throw mismatch(QStringLiteral("table %1, row %2, column %3").arg(old.name).arg(r + 1).arg(old.columns[c].name));
            }
        }
    }
}

void CellSave::commit()
{
    const QFileInfo info(path_);
    const QString backup = path_ + QStringLiteral(".bak");
    const QString backupCopy = writeTemporary(info.absolutePath(), info.fileName() + QStringLiteral(".bak"), original_, mode_);
    if (::rename(QFile::encodeName(backupCopy).constData(), QFile::encodeName(backup).constData()) != 0) {
        const QString reason = systemError();
        QFile::remove(backupCopy);
        throw Error(QStringLiteral("%1: cannot keep the previous file as %2: %3; nothing was saved")
                        .arg(name_, QFileInfo(backup).fileName(), reason));
    }
    if (::rename(QFile::encodeName(copyPath_).constData(), QFile::encodeName(path_).constData()) != 0)
        throw Error(QStringLiteral("%1: cannot replace the file: %2; nothing was saved").arg(name_, systemError()));
    committed_ = true;
    syncFolder(info.absolutePath());
}

void saveCellChanges(const QString& path, const std::vector<CellChange>& changes)
{
    CellSave(path, changes).commit();
}

}  // namespace tallomar::mdb
