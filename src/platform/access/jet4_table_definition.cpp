#include "platform/access/jet4_table_definition.h"

namespace tallomar::jet4 {

TableDefinition parseTableDefinition(const QByteArray& bytes, const QString& context) {
    const auto damaged = [&context](const char* what) {
        return Error(QStringLiteral("%1: damaged table definition (%2)").arg(context, QLatin1String(what)));
    };
    const int size = static_cast<int>(bytes.size());
    if (size < kTdefBlockEnd || static_cast<unsigned char>(bytes[0]) != kTableDefinitionPage)
        throw damaged("not a table definition page");
    TableDefinition table;
    table.maxColumns = get16(bytes, kTdefMaxColumnsOffset);
    table.varColumns = get16(bytes, kTdefVarColumnsOffset);
    table.usedPagesMap = get32(bytes, kTdefUsedPagesOffset);
    const int columnCount = get16(bytes, kTdefColumnsOffset);
    const quint32 realIndexes = get32(bytes, kTdefRealIndexesOffset);
    if (realIndexes > 1000) throw damaged("index count");

    int pos = kTdefBlockEnd + static_cast<int>(realIndexes) * kRealIndexHeaderSize;
    if (pos + columnCount * kColumnEntrySize > size) throw damaged("column list outside the definition");
    for (int i = 0; i < columnCount; ++i, pos += kColumnEntrySize) {
        ColumnDefinition column;
        column.type = static_cast<unsigned char>(bytes[pos + kColumnTypeOffset]);
        column.number = get16(bytes, pos + kColumnNumberOffset);
        column.varIndex = get16(bytes, pos + kColumnVarIndexOffset);
        column.fixed = bytes[pos + kColumnFlagsOffset] & kColumnFixedFlag;
        column.fixedOffset = get16(bytes, pos + kColumnFixedOffsetOffset);
        column.length = get16(bytes, pos + kColumnLengthOffset);
        table.columns.push_back(column);
    }
    for (ColumnDefinition& column : table.columns) {
        if (pos + 2 > size) throw damaged("column names outside the definition");
        const int length = get16(bytes, pos);
        pos += 2;
        if (length % 2 != 0 || pos + length > size) throw damaged("column name length");
        column.name = QString(reinterpret_cast<const QChar*>(bytes.constData() + pos), length / 2);
        pos += length;
    }
    for (quint32 i = 0; i < realIndexes; ++i, pos += kRealIndexEntrySize) {
        if (pos + kRealIndexEntrySize > size) throw damaged("index list outside the definition");
        for (int slot = 0; slot < kIndexColumnSlots; ++slot) {
            const quint16 number = get16(bytes, pos + 4 + 3 * slot);
            for (ColumnDefinition& column : table.columns) {
                if (column.number == number) column.indexed = true;
            }
        }
    }
    return table;
}

}  // namespace tallomar::jet4
