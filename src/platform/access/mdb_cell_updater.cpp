#include "platform/access/mdb_cell_updater.h"

#include "platform/error.h"
#include "platform/access/mdb_cell_edit.h"
#include "platform/access/mdb_cell_save.h"
#include "platform/access/mdb_file_header.h"
#include "platform/access/mdb_save_files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tallomar::mdb {

namespace {

QString systemError() { return QString::fromLocal8Bit(std::strerror(errno)); }

}  // namespace

CellSave::CellSave(const QString& path, const std::vector<CellChange>& changes)
    : name_(QFileInfo(path).fileName())
{
    path_ = regularFileBehind(path, name_);
    const FileHeader header = readFileHeader(path_);
    if (header.version != JetVersion::Jet4)
        throw Error(QStringLiteral("%1: changes are written only to Jet 4 files; this file has version byte %2")
                        .arg(name_).arg(header.rawVersion));
    if (header.databaseKey != 0)
        throw Error(QStringLiteral("%1: the file is encrypted; changes cannot be written to it").arg(name_));
    checkNoAccessLock();
    try {
        lockFile();
        const QFileInfo info(path_);
        removeStaleCopies(info.absolutePath(), info.fileName());
        const std::vector<Table> before = readTables(path_);
        CellEdit edit = editCells(original_, before, changes, name_);
        changed_ = std::move(edit.bytes);
        moves_ = std::move(edit.moves);
        writeCopy();
        checkReadBack(before, readTables(copyPath_), changes, moves_, name_);
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
        throw FileBusy(QStringLiteral("%1: the file is open in another program (lock file %2 present); nothing was saved")
                        .arg(name_, locks.first()));
}

void CellSave::lockFile()
{
    fd_ = ::open(QFile::encodeName(path_).constData(), O_RDONLY | O_CLOEXEC);
    if (fd_ < 0)
        throw Error(QStringLiteral("%1: cannot open: %2").arg(name_, systemError()));
    const QString busy = QStringLiteral("%1: the file is being changed by another process; nothing was saved").arg(name_);
    if (::flock(fd_, LOCK_EX | LOCK_NB) != 0)
        throw FileBusy(busy);
    // A save that renamed its copy over the file between our open and our
    // lock leaves us holding the replaced file.
    struct stat locked {};
    struct stat named {};
    if (::fstat(fd_, &locked) != 0 || ::stat(QFile::encodeName(path_).constData(), &named) != 0)
        throw Error(QStringLiteral("%1: cannot look at the file: %2").arg(name_, systemError()));
    if (locked.st_dev != named.st_dev || locked.st_ino != named.st_ino)
        throw FileBusy(busy);
    mode_ = locked.st_mode & 07777;
    QFile file;
    if (!file.open(fd_, QIODevice::ReadOnly, QFileDevice::DontCloseHandle))
        throw Error(QStringLiteral("%1: cannot read: %2").arg(name_, file.errorString()));
    original_ = file.readAll();
}

void CellSave::writeCopy()
{
    const QFileInfo info(path_);
    copyPath_ = writeTemporary(info.absolutePath(), info.fileName(), changed_, mode_);
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

std::vector<RowMove> saveCellChanges(const QString& path, const std::vector<CellChange>& changes)
{
    CellSave save(path, changes);
    save.commit();
    return save.moves();
}

}  // namespace tallomar::mdb
