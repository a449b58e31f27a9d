#pragma once

#include "platform/access/jet4_page_file.h"
#include "platform/access/mdb_reader.h"

#include <QByteArray>
#include <QString>
#include <optional>

// The data pages of one table and the moves of its rows between them. A row
// that no longer fits its page moves the way Jet 4 moves it: its bytes go to
// another page of the table, flagged with the deleted bit alone so that a
// scan meets the row once, and its old place keeps a 4-byte pointer to the
// new one, flagged as an overflow row.
namespace tallomar::jet4 {

class TablePages {
public:
    // `usedPagesMap` is the usage map pointer of the table definition at
    // `definitionPage`; `context` starts every error message.
    TablePages(PageFile& file, quint32 definitionPage, quint32 usedPagesMap, QString context);

    // Stores the moved bytes `row` on a page of the table with room, or on
    // a new page listed in the usage map; returns where they went.
    mdb::RowLocation placeMovedRow(const QByteArray& row);

    // The overflow pointer (stub) that points to `moved`, if the table has one.
    std::optional<mdb::RowLocation> stubPointingTo(const mdb::RowLocation& moved) const;

private:
    bool ownsDataPage(const QByteArray& page) const;

    PageFile& file_;
    quint32 definitionPage_;
    quint32 usedPagesMap_;
    QString context_;
};

}  // namespace tallomar::jet4
