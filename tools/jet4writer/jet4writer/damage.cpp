#include "jet4writer/damage.h"

#include "platform/access/jet4_format.h"
#include "platform/error.h"

namespace tallomar::jet4 {

namespace {

constexpr int kKkdHeaderSize = 4;     // "MR2\0"
constexpr int kBlockHeaderSize = 6;   // length (4), type (2)
constexpr int kValuesHeaderSize = 6;  // length (4), name length (2), with an empty name

void requirePage(const QByteArray& file, quint32 page) {
    if (qsizetype(page + 1) * kPageSize > file.size()) throw Error(QStringLiteral("the file has no page %1").arg(page));
}

void requireTableDefinition(const QByteArray& file, quint32 page) {
    requirePage(file, page);
    if (static_cast<unsigned char>(file[qsizetype(page) * kPageSize]) != kTableDefinitionPage)
        throw Error(QStringLiteral("page %1 is not a table definition").arg(page));
}

struct ColumnPlace {
    qsizetype entry;  // the column's entry in the definition
    qsizetype name;   // the first byte of its stored name
};

// Where the definition on `page` (one page, as the writer leaves it) keeps column `column`.
ColumnPlace columnPlace(const QByteArray& file, quint32 page, const QString& column) {
    requireTableDefinition(file, page);
    const qsizetype base = qsizetype(page) * kPageSize;
    const int columns = get16(file, static_cast<int>(base + kTdefColumnsOffset));
    const qsizetype entries =
        base + kTdefBlockEnd +
        qsizetype(get32(file, static_cast<int>(base + kTdefRealIndexesOffset))) * kRealIndexHeaderSize;
    qsizetype name = entries + qsizetype(columns) * kColumnEntrySize;
    for (int i = 0; i < columns; ++i) {
        const int length = get16(file, static_cast<int>(name));
        const QByteArray stored = file.mid(name + 2, length);
        if (QString::fromUtf16(reinterpret_cast<const char16_t*>(stored.constData()), length / 2) == column)
            return {entries + qsizetype(i) * kColumnEntrySize, name + 2};
        name += 2 + length;
    }
    throw Error(QStringLiteral("the table definition on page %1 has no column %2").arg(page).arg(column));
}

void flipBit(QByteArray& file, qsizetype at, int bit) {
    file[at] = static_cast<char>(file[at] ^ (1 << bit));
}

}  // namespace

void flipColumnEntryBit(QByteArray& file, quint32 definitionPage, const QString& column, int offset, int bit) {
    flipBit(file, columnPlace(file, definitionPage, column).entry + offset, bit);
}

void flipColumnNameBit(QByteArray& file, quint32 definitionPage, const QString& column, int character, int bit) {
    flipBit(file, columnPlace(file, definitionPage, column).name + 2 * character, bit);
}

void flipUsageMapPointerBit(QByteArray& file, quint32 definitionPage, int bit) {
    requireTableDefinition(file, definitionPage);
    flipBit(file, qsizetype(definitionPage) * kPageSize + kTdefUsedPagesOffset + bit / 8, bit % 8);
}

void emptyUsageMap(QByteArray& file, quint32 definitionPage) {
    requireTableDefinition(file, definitionPage);
    const quint32 pointer = get32(file, static_cast<int>(qsizetype(definitionPage) * kPageSize + kTdefUsedPagesOffset));
    const quint32 page = pointer >> 8;
    const int row = static_cast<int>(pointer & 0xff);
    requirePage(file, page);
    if (row == 0) throw Error(QStringLiteral("the usage map is the first row of page %1").arg(page));
    const int offsets = static_cast<int>(qsizetype(page) * kPageSize + kRowOffsetsStart);
    put16(file, offsets + 2 * row, get16(file, offsets + 2 * (row - 1)) & kRowOffsetMask);
}

void reverseValueBounds(QByteArray& file, quint32 page, int row, int slot) {
    requirePage(file, page);
    const int base = static_cast<int>(qsizetype(page) * kPageSize);
    if (row >= get16(file, base + kRowCountOffset))
        throw Error(QStringLiteral("page %1 has no row %2").arg(page).arg(row));
    const int start = base + (get16(file, base + kRowOffsetsStart + 2 * row) & kRowOffsetMask);
    const int end =
        base + (row == 0 ? kPageSize : get16(file, base + kRowOffsetsStart + 2 * (row - 1)) & kRowOffsetMask);
    const int maskSize = (get16(file, start) + 7) / 8;
    const int varCountAt = end - maskSize - 2;
    if (slot + 1 > get16(file, varCountAt))
        throw Error(QStringLiteral("row %1 of page %2 has no variable slot %3").arg(row).arg(page).arg(slot));
    // Entry i of the offset table sits just below entry i-1; entry i+1 is where slot i ends.
    const auto entry = [&](int i) { return varCountAt - 2 * (i + 1); };
    put16(file, entry(slot), static_cast<quint16>(get16(file, entry(slot + 1)) + 2));
}

void flipPropertyLengthBit(QByteArray& file) {
    const qsizetype data = file.indexOf(QByteArray("MR2", 4));
    if (data < 0) throw Error(QStringLiteral("the file holds no property data"));
    const qsizetype namesBlock = data + kKkdHeaderSize;
    const qsizetype valuesBlock = namesBlock + get32(file, static_cast<int>(namesBlock));
    const qsizetype length = valuesBlock + kBlockHeaderSize + kValuesHeaderSize;
    const quint16 value = get16(file, static_cast<int>(length));
    if (value == 0 || (value & (value - 1)) != 0)
        throw Error(QStringLiteral("the first property's length %1 is not a single bit").arg(value));
    put16(file, static_cast<int>(length), 0);
}

void zeroPage(QByteArray& file, quint32 page) {
    requirePage(file, page);
    file.replace(qsizetype(page) * kPageSize, kPageSize, QByteArray(kPageSize, '\0'));
}

quint32 firstLongValuePage(const QByteArray& file) {
    for (quint32 page = 0; qsizetype(page + 1) * kPageSize <= file.size(); ++page)
        if (file.mid(qsizetype(page) * kPageSize + kOwnerOffset, 4) == "LVAL") return page;
    throw Error(QStringLiteral("the file has no LVAL page"));
}

}  // namespace tallomar::jet4
