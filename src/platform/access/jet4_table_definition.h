#pragma once

#include <QByteArray>
#include <QString>
#include <vector>

// A Jet 4 table definition as the cell updater needs it: each column's
// real slot (column number, variable slot, fixed offset), its type and
// length, and whether an index covers it.
namespace tallomar::jet4 {

struct ColumnDefinition {
    QString name;
    unsigned char type = 0;
    quint16 number = 0;    // bit in the null mask; deleted columns keep theirs
    quint16 varIndex = 0;  // slot in the variable column table
    quint16 fixedOffset = 0;
    quint16 length = 0;  // bytes; 0 for memo and OLE
    bool fixed = false;
    bool indexed = false;
};

struct TableDefinition {
    quint16 maxColumns = 0;
    quint16 varColumns = 0;
    quint32 usedPagesMap = 0;  // row pointer to the usage map of the table's data pages
    std::vector<ColumnDefinition> columns;
};

// `pages` reads one whole page by number (throws when it cannot). The
// definition may continue on further pages.
template <typename PageReader>
QByteArray tableDefinitionBytes(quint32 firstPage, PageReader pages);

// Parses the bytes of a definition (its pages joined); throws Error with
// `context` when they are inconsistent.
TableDefinition parseTableDefinition(const QByteArray& bytes, const QString& context);

}  // namespace tallomar::jet4

#include "platform/access/jet4_format.h"
#include "platform/error.h"

template <typename PageReader>
QByteArray tallomar::jet4::tableDefinitionBytes(quint32 firstPage, PageReader pages) {
    // Continuation pages carry their own 8-byte header before the data.
    constexpr int kMaxPages = 64;
    QByteArray bytes = pages(firstPage);
    quint32 next = get32(bytes, 4);
    for (int n = 0; next != 0 && n < kMaxPages; ++n) {
        const QByteArray page = pages(next);
        if (static_cast<unsigned char>(page[0]) != kTableDefinitionPage)
            throw Error(
                QStringLiteral("table definition continues on page %1, which is not a table definition").arg(next));
        bytes.append(page.mid(8));
        next = get32(page, 4);
    }
    return bytes;
}
