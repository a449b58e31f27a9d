#pragma once

#include <QByteArray>
#include <QString>
#include <vector>

// The byte layout of one Jet 4 row: column count, the fixed-length area,
// the variable-length values, their offset table (stored in reverse order)
// and the null mask. A row is decoded into these parts and encoded back, so
// that a change of one value keeps every other byte of the row as it was,
// the slots of deleted columns included.
namespace tallomar::jet4 {

struct RawRow {
    quint16 columnCount = 0;            // column slots, deleted columns included
    QByteArray fixedArea;               // bytes between the column count and the first variable value
    std::vector<QByteArray> varValues;  // by variable slot; empty for NULL or absent
    QByteArray nullMask;                // bit per column number: 1 = present (booleans: true)
    bool hasVarTable = true;            // false for tables without variable-length columns

    bool isPresent(int columnNumber) const;
    void setPresent(int columnNumber, bool present);
};

// Throws Error with `context` when the bytes are not a consistent row.
RawRow decodeRow(const QByteArray& bytes, bool tableHasVarColumns, const QString& context);
QByteArray encodeRow(const RawRow& row);

// Text as Jet 4 stores it uncompressed: UCS-2 little endian.
QByteArray encodeText(const QString& text);
// A memo or OLE value kept inside the row.
QByteArray encodeInlineLongValue(const QByteArray& data);
// A memo or OLE value kept on LVAL pages: the header pointing to them.
QByteArray encodeLongValuePointer(quint32 length, unsigned char kind, quint32 pointer);

}  // namespace tallomar::jet4
