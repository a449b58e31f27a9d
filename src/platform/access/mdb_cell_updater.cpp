#include "platform/access/mdb_cell_updater.h"

#include "platform/access/mdb_cell_edit.h"
#include "platform/access/mdb_cell_save.h"
#include "platform/access/mdb_file_header.h"
#include "platform/access/mdb_save_files.h"
#include "platform/error.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace tallomar::mdb {

CellSave::CellSave(const QString& path, const std::vector<CellChange>& changes) : name_(QFileInfo(path).fileName()) {
    path_ = regularFileBehind(path, name_);
    const FileHeader header = readFileHeader(path_);
    if (header.version != JetVersion::Jet4)
        throw Error(QStringLiteral("%1: changes are written only to Jet 4 files; this file has version byte %2")
                        .arg(name_)
                        .arg(header.rawVersion));
    if (header.databaseKey != 0)
        throw Error(QStringLiteral("%1: the file is encrypted; changes cannot be written to it").arg(name_));
    checkNoAccessLock();
    try {
        held_ = std::make_unique<HeldFile>(path_, name_);
        original_ = held_->bytes();
        const QFileInfo info(path_);
        removeStaleCopies(info.absolutePath(), info.fileName());
        const std::vector<Table> before = readTables(path_);
        CellEdit edit = editCells(original_, before, changes, name_);
        changed_ = std::move(edit.bytes);
        moves_ = std::move(edit.moves);
        writeCopy();
        checkReadBack(before, readTables(copyPath_), changes, moves_, name_);
    } catch (...) {
        if (!copyPath_.isEmpty()) QFile::remove(copyPath_);
        throw;
    }
}

CellSave::~CellSave() {
    if (!committed_ && !copyPath_.isEmpty()) QFile::remove(copyPath_);
}

void CellSave::checkNoAccessLock() const {
    const QFileInfo info(path_);
    const QString stem = info.completeBaseName();
    const QStringList locks = info.dir().entryList({stem + QStringLiteral(".ldb"), stem + QStringLiteral(".laccdb")},
                                                   QDir::Files | QDir::Hidden | QDir::System);
    if (!locks.isEmpty())
        throw FileBusy(
            QStringLiteral("%1: the file is open in another program (lock file %2 present); nothing was saved")
                .arg(name_, locks.first()));
}

void CellSave::writeCopy() {
    copyPath_ = held_->writeCopy(QFileInfo(path_).fileName(), changed_);
}

void CellSave::commit() {
    const QString backupCopy = held_->writeCopy(QFileInfo(path_).fileName() + QStringLiteral(".bak"), original_);
    try {
        held_->replaceBy(copyPath_, backupCopy, path_ + QStringLiteral(".bak"));
    } catch (...) {
        QFile::remove(backupCopy);
        throw;
    }
    committed_ = true;
}

std::vector<RowMove> saveCellChanges(const QString& path, const std::vector<CellChange>& changes) {
    CellSave save(path, changes);
    save.commit();
    return save.moves();
}

}  // namespace tallomar::mdb
