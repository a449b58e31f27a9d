#pragma once

#include <QByteArray>
#include <QtEndian>
#include <cstdint>

// Page and row layout constants of Jet 4 files, shared by the fixture writer
// and the in-place cell updater.
namespace tallomar::jet4 {

constexpr int kPageSize = 4096;

// Page types (first byte of a page).
constexpr unsigned char kDataPage = 0x01;
constexpr unsigned char kTableDefinitionPage = 0x02;

// Data page header: type, 0x01, free space (2), owning table definition
// page or "LVAL" (4), 4 unused bytes, row count (2), row offsets (2 each).
constexpr int kFreeSpaceOffset = 2;
constexpr int kOwnerOffset = 4;
constexpr int kRowCountOffset = 12;
constexpr int kRowOffsetsStart = 14;

// Flags in the high bits of a row offset.
constexpr quint16 kRowDeleted = 0x8000;
constexpr quint16 kRowOverflow = 0x4000;
constexpr quint16 kRowOffsetMask = 0x1fff;

// Table definition block.
constexpr int kTdefLengthOffset = 8;
constexpr int kTdefRowCountOffset = 16;
constexpr int kTdefTableTypeOffset = 40;
constexpr int kTdefMaxColumnsOffset = 41;
constexpr int kTdefVarColumnsOffset = 43;
constexpr int kTdefColumnsOffset = 45;
constexpr int kTdefIndexesOffset = 47;
constexpr int kTdefRealIndexesOffset = 51;
constexpr int kTdefUsedPagesOffset = 55;
constexpr int kTdefFreePagesOffset = 59;
constexpr int kTdefBlockEnd = 63;
constexpr int kRealIndexHeaderSize = 12;
constexpr int kColumnEntrySize = 25;
constexpr int kRealIndexEntrySize = 52;
constexpr int kLogicalIndexEntrySize = 28;
constexpr int kIndexColumnSlots = 10;

// Column entry fields.
constexpr int kColumnTypeOffset = 0;
constexpr int kColumnNumberOffset = 5;
constexpr int kColumnVarIndexOffset = 7;
constexpr int kColumnIndexOffset = 9;
constexpr int kColumnSortOrderOffset = 11;
constexpr int kColumnFlagsOffset = 15;
constexpr int kColumnFixedOffsetOffset = 21;
constexpr int kColumnLengthOffset = 23;
constexpr unsigned char kColumnFixedFlag = 0x01;
constexpr unsigned char kColumnNullableFlag = 0x02;

// Column types as stored.
enum ColumnType : unsigned char {
    kBoolean = 0x01,
    kByte = 0x02,
    kInteger = 0x03,
    kLongInteger = 0x04,
    kCurrency = 0x05,
    kSingle = 0x06,
    kDouble = 0x07,
    kDateTime = 0x08,
    kBinary = 0x09,
    kText = 0x0a,
    kOle = 0x0b,
    kMemo = 0x0c,
    kGuid = 0x0f,
    kNumeric = 0x10,
};

// Long value (memo, OLE) header in a row: length (3 bytes), kind, page and
// row of the LVAL data (4), 4 unused bytes; inline data follows.
constexpr int kLongValueHeaderSize = 12;
constexpr unsigned char kLongValueInline = 0x80;
constexpr unsigned char kLongValueSinglePage = 0x40;
constexpr unsigned char kLongValueChain = 0x00;

inline quint16 get16(const QByteArray& data, int offset) {
    return qFromLittleEndian<quint16>(data.constData() + offset);
}
inline quint32 get32(const QByteArray& data, int offset) {
    return qFromLittleEndian<quint32>(data.constData() + offset);
}
inline void put16(QByteArray& data, int offset, quint16 value) {
    qToLittleEndian<quint16>(value, data.data() + offset);
}
inline void put32(QByteArray& data, int offset, quint32 value) {
    qToLittleEndian<quint32>(value, data.data() + offset);
}
inline void append16(QByteArray& data, quint16 value) {
    data.resize(data.size() + 2);
    put16(data, data.size() - 2, value);
}
inline void append32(QByteArray& data, quint32 value) {
    data.resize(data.size() + 4);
    put32(data, data.size() - 4, value);
}

// A row pointer as stored in table definitions and long value headers.
inline quint32 rowPointer(quint32 page, quint8 row) {
    return (page << 8) | row;
}

}  // namespace tallomar::jet4
