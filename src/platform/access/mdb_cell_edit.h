#pragma once

#include "platform/access/mdb_cell_updater.h"

#include <QByteArray>
#include <QString>
#include <vector>

// The part of a save that works on bytes alone: the changes written into a
// copy of the file's bytes, and the check that the changed bytes, read back,
// hold exactly those changes. saveCellChanges wraps both in the file
// handling (lock, copy beside the file, rename) and reads through the
// contained reader process.
namespace tallomar::mdb {

struct CellEdit {
    QByteArray bytes;            // the whole changed file
    std::vector<RowMove> moves;  // rows that moved to another page of their table
};

// Writes `changes` into a copy of `file`, the bytes of the Jet 4 file
// `name` whose tables, as readTables read them, are `tables`. Throws Error
// naming the file and the reason when a change cannot be made (no such
// table, row or column, not a text or memo cell, an indexed column, a value
// the column cannot hold, a row larger than a page).
CellEdit editCells(const QByteArray& file, const std::vector<Table>& tables, const std::vector<CellChange>& changes,
                   const QString& name);

// Throws Error ("... did not read back as expected ...; nothing was saved")
// unless `after`, the tables read back from the changed bytes, are `before`
// with exactly `changes` made, each row found where `moves` took it.
void checkReadBack(const std::vector<Table>& before, const std::vector<Table>& after,
                   const std::vector<CellChange>& changes, const std::vector<RowMove>& moves, const QString& name);

}  // namespace tallomar::mdb
