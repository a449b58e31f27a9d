#pragma once

#include "platform/access/mdb_cell_updater.h"
#include "platform/access/mdb_save_files.h"

#include <QByteArray>
#include <QString>
#include <memory>
#include <vector>

namespace tallomar::mdb {

// The two steps of saveCellChanges. Construction checks the file and the
// changes, removes the copies an interrupted save left behind, writes the
// changed copy beside the file and reads it back; commit() keeps the old
// file as <name>.bak and renames the copy over the file. Destroyed without
// commit() (or when commit() fails), it removes the copy and leaves the
// file as it was: the state a crash before the rename leaves behind.
class CellSave {
public:
    CellSave(const QString& path, const std::vector<CellChange>& changes);
    ~CellSave();
    CellSave(const CellSave&) = delete;
    CellSave& operator=(const CellSave&) = delete;

    const QString& copyPath() const { return copyPath_; }
    const std::vector<RowMove>& moves() const { return moves_; }
    void commit();

private:
    void checkNoAccessLock() const;
    void writeCopy();

    QString path_;  // the regular file, symbolic links followed
    QString name_;  // the name the caller gave, for messages
    QString copyPath_;
    std::unique_ptr<HeldFile> held_;
    QByteArray original_;
    QByteArray changed_;
    std::vector<RowMove> moves_;
    bool committed_ = false;
};

}  // namespace tallomar::mdb
