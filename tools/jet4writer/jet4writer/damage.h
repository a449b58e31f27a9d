#pragma once

#include <QByteArray>
#include <QString>

// Damage done on purpose to files written by buildDatabase, one bit or one
// page at a time, so that tests can show that a damaged file is refused.
// Each throws Error when the file does not hold what it damages.
namespace tallomar::jet4 {

// Flips bit `bit` of the usage map pointer in the table definition on page
// `definitionPage` (bits 0-7 name the map's row, 8-31 its page).
void flipUsageMapPointerBit(QByteArray& file, quint32 definitionPage, int bit);

// Makes the usage map row of the table defined on `definitionPage` a row of
// no bytes: its start moves to where it ends. Throws Error when the map is
// the first row of its page, whose end is the page's end.
void emptyUsageMap(QByteArray& file, quint32 definitionPage);

// Moves the start of the value in variable slot `slot` of row `row` on
// data page `page` two bytes past the value's end, as a damaged offset table
// of the row does.
void reverseValueBounds(QByteArray& file, quint32 page, int row, int slot);

// Flips the one set bit of the length of the first property value in the
// catalogue's property data (LvProp), making it 0: a table description of
// 4 characters gives a length of 16.
void flipPropertyLengthBit(QByteArray& file);

// Flips bit `bit` of the byte at `offset` (kColumnTypeOffset,
// kColumnVarIndexOffset, ... of jet4_format.h) in the entry of column
// `column` in the table definition on page `definitionPage`.
void flipColumnEntryBit(QByteArray& file, quint32 definitionPage, const QString& column, int offset, int bit);

// Flips bit `bit` of the low byte of character `character` of the stored
// name of column `column` in the table definition on page `definitionPage`.
void flipColumnNameBit(QByteArray& file, quint32 definitionPage, const QString& column, int character, int bit);

// Fills page `page` with zeros.
void zeroPage(QByteArray& file, quint32 page);

// The first LVAL page, where a long memo's text lives.
quint32 firstLongValuePage(const QByteArray& file);

}  // namespace tallomar::jet4
