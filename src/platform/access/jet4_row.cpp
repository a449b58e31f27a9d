#include "platform/access/jet4_row.h"

#include "platform/access/jet4_format.h"
#include "platform/error.h"

namespace tallomar::jet4 {

bool RawRow::isPresent(int columnNumber) const {
    const int byte = columnNumber / 8;
    return byte < nullMask.size() && (static_cast<unsigned char>(nullMask[byte]) & (1 << (columnNumber % 8)));
}

void RawRow::setPresent(int columnNumber, bool present) {
    const int byte = columnNumber / 8;
    if (byte >= nullMask.size()) nullMask.append(QByteArray(byte + 1 - nullMask.size(), '\0'));
    auto bits = static_cast<unsigned char>(nullMask[byte]);
    const auto bit = static_cast<unsigned char>(1 << (columnNumber % 8));
    nullMask[byte] = static_cast<char>(present ? (bits | bit) : (bits & ~bit));
}

RawRow decodeRow(const QByteArray& bytes, bool tableHasVarColumns, const QString& context) {
    const auto damaged = [&context](const char* what) {
        return Error(QStringLiteral("%1: damaged row (%2)").arg(context, QLatin1String(what)));
    };
    const int size = static_cast<int>(bytes.size());
    if (size < 3) throw damaged("too short");
    RawRow row;
    row.columnCount = get16(bytes, 0);
    const int maskSize = (row.columnCount + 7) / 8;
    if (2 + maskSize > size) throw damaged("null mask outside the row");
    row.nullMask = bytes.right(maskSize);
    row.hasVarTable = tableHasVarColumns;
    if (!tableHasVarColumns) {
        row.fixedArea = bytes.mid(2, size - 2 - maskSize);
        return row;
    }
    const int varCountAt = size - maskSize - 2;
    if (varCountAt < 2) throw damaged("no variable column table");
    const int varCount = get16(bytes, varCountAt);
    const int tableStart = varCountAt - 2 * (varCount + 1);
    if (tableStart < 2) throw damaged("variable column table too large");
    // Entry i sits just below entry i-1; the last one marks the end of data.
    std::vector<int> offsets(varCount + 1);
    for (int i = 0; i <= varCount; ++i) offsets[i] = get16(bytes, varCountAt - 2 * (i + 1));
    for (int i = 0; i <= varCount; ++i) {
        if (offsets[i] < 2 || offsets[i] > tableStart || (i > 0 && offsets[i] < offsets[i - 1]))
            throw damaged("variable column offsets out of order");
    }
    row.fixedArea = bytes.mid(2, offsets[0] - 2);
    for (int i = 0; i < varCount; ++i) row.varValues.push_back(bytes.mid(offsets[i], offsets[i + 1] - offsets[i]));
    return row;
}

QByteArray encodeRow(const RawRow& row) {
    QByteArray bytes;
    append16(bytes, row.columnCount);
    bytes.append(row.fixedArea);
    if (row.hasVarTable) {
        std::vector<quint16> offsets;
        for (const QByteArray& value : row.varValues) {
            offsets.push_back(static_cast<quint16>(bytes.size()));
            bytes.append(value);
        }
        offsets.push_back(static_cast<quint16>(bytes.size()));
        for (auto it = offsets.rbegin(); it != offsets.rend(); ++it) append16(bytes, *it);
        append16(bytes, static_cast<quint16>(row.varValues.size()));
    }
    QByteArray mask = row.nullMask;
    mask.resize((row.columnCount + 7) / 8, '\0');
    bytes.append(mask);
    return bytes;
}

QByteArray encodeText(const QString& text) {
    QByteArray bytes;
    bytes.reserve(text.size() * 2);
    for (QChar c : text) append16(bytes, c.unicode());
    return bytes;
}

QByteArray encodeLongValuePointer(quint32 length, unsigned char kind, quint32 pointer) {
    QByteArray header;
    append32(header, (length & 0x00ffffff) | (quint32(kind) << 24));
    append32(header, pointer);
    append32(header, 0);
    return header;
}

QByteArray encodeInlineLongValue(const QByteArray& data) {
    return encodeLongValuePointer(static_cast<quint32>(data.size()), kLongValueInline, 0) + data;
}

}  // namespace tallomar::jet4
