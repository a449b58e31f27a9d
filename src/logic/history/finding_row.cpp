#include "logic/history/finding_row.h"

#include "logic/workbench/result_block.h"
#include "platform/error.h"

#include <QtEndian>

namespace tallomar::history {

namespace {

constexpr quint32 kNullLength = 0xFFFFFFFF;

void appendLength(QByteArray& blob, quint32 length) {
    const quint32 little = qToLittleEndian(length);
    blob.append(reinterpret_cast<const char*>(&little), sizeof little);
}

}  // namespace

void encodeFindingRow(const ResultBlock& block, int row, QByteArray& blob) {
    blob.clear();
    for (int column = 0; column < block.columnCount(); ++column) {
        if (block.isNull(row, column)) {
            appendLength(blob, kNullLength);
            continue;
        }
        const QByteArrayView text = block.cell(row, column);
        appendLength(blob, static_cast<quint32>(text.size()));
        blob.append(text);
    }
}

FindingRow decodeFindingRow(QByteArrayView blob) {
    FindingRow row;
    qsizetype at = 0;
    while (at < blob.size()) {
        if (blob.size() - at < 4) throw Error(QStringLiteral("a recorded finding ends inside a cell length"));
        const quint32 length = qFromLittleEndian<quint32>(blob.data() + at);
        at += 4;
        if (length == kNullLength) {
            row.emplace_back();
            continue;
        }
        if (blob.size() - at < static_cast<qsizetype>(length))
            throw Error(QStringLiteral("a recorded finding ends inside a cell"));
        row.emplace_back(QString::fromUtf8(blob.sliced(at, length)));
        at += length;
    }
    return row;
}

}  // namespace tallomar::history
