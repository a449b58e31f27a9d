#pragma once

#include "platform/access/jet4_page_file.h"

#include <QString>
#include <vector>

// A table's usage map: the row (pointed to from its table definition) that
// says which pages hold the table's rows. Type 0 keeps a start page and a
// bitmap in the row itself; type 1 lists bitmap pages, each covering
// (page size - 4) * 8 pages from its position in the list.
namespace tallomar::jet4 {

// The pages the map at `mapPointer` marks, in ascending order, limited to
// the pages the file has. Throws Error with `context` when the map is damaged.
std::vector<quint32> usagePages(const PageFile& file, quint32 mapPointer, const QString& context);

// Marks `page` in the map, growing a type 0 bitmap in place when the page lies
// past its end. Throws Error with `context` when the map cannot hold it.
void addUsagePage(PageFile& file, quint32 mapPointer, quint32 page, const QString& context);

}  // namespace tallomar::jet4
