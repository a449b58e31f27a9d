#include "logic/history/finding_row.h"

#include "logic/workbench/result_block.h"
#include "platform/error.h"

#include <QtEndian>

namespace tallomar::history {

namespace {

constexpr unsigned char kLongLength = 0xFE;
constexpr unsigned char kNull = 0xFF;

}  // namespace

void appendFindingRow(const ResultBlock& block, int row, QByteArray& blob) {
    for (int column = 0; column < block.columnCount(); ++column) {
        if (block.isNull(row, column)) {
            blob.append(char(kNull));
            continue;
        }
        const QByteArrayView text = block.cell(row, column);
        if (text.size() < kLongLength) {
            blob.append(char(text.size()));
        } else {
            const quint32 little = qToLittleEndian(quint32(text.size()));
            blob.append(char(kLongLength));
            blob.append(reinterpret_cast<const char*>(&little), sizeof little);
        }
        blob.append(text);
    }
}

std::vector<FindingRow> decodeFindingRows(QByteArrayView blob, int columnCount) {
    if (columnCount <= 0) {
        if (!blob.isEmpty()) throw Error(QStringLiteral("recorded findings without columns"));
        return {};
    }
    std::vector<FindingRow> rows;
    qsizetype at = 0;
    const auto need = [&](qsizetype bytes) {
        if (blob.size() - at < bytes) throw Error(QStringLiteral("recorded findings end inside a cell"));
    };
    while (at < blob.size()) {
        FindingRow& row = rows.emplace_back();
        row.reserve(size_t(columnCount));
        for (int column = 0; column < columnCount; ++column) {
            need(1);
            const auto lead = static_cast<unsigned char>(blob[at++]);
            if (lead == kNull) {
                row.emplace_back();
                continue;
            }
            qsizetype length = lead;
            if (lead == kLongLength) {
                need(4);
                length = qFromLittleEndian<quint32>(blob.data() + at);
                at += 4;
            }
            need(length);
            row.emplace_back(QString::fromUtf8(blob.sliced(at, length)));
            at += length;
        }
    }
    return rows;
}

}  // namespace tallomar::history
