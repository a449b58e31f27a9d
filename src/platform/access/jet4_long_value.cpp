#include "platform/access/jet4_long_value.h"

#include "platform/access/jet4_data_page.h"
#include "platform/access/jet4_format.h"
#include "platform/access/jet4_row.h"

namespace tallomar::jet4 {

namespace {

constexpr int kChainChunk = kLargestRow - 4;

quint32 appendLvalPage(const QByteArray& row, const PageAppender& appendPage) {
    DataPage page = DataPage::create(0, true);
    page.appendRow(row);
    return appendPage(page.bytes());
}

}  // namespace

QByteArray storeLongValue(const QByteArray& data, const PageAppender& appendPage) {
    const auto length = static_cast<quint32>(data.size());
    if (data.size() <= kLongValueInlineLimit) return encodeInlineLongValue(data);
    if (data.size() <= kLargestRow)
        return encodeLongValuePointer(length, kLongValueSinglePage, rowPointer(appendLvalPage(data, appendPage), 0));
    // Written from the last piece back, so that each page knows its successor.
    quint32 next = 0;
    const qsizetype pieces = (data.size() + kChainChunk - 1) / kChainChunk;
    for (qsizetype piece = pieces - 1; piece >= 0; --piece) {
        QByteArray row;
        append32(row, next);
        row.append(data.mid(piece * kChainChunk, kChainChunk));
        next = rowPointer(appendLvalPage(row, appendPage), 0);
    }
    return encodeLongValuePointer(length, kLongValueChain, next);
}

}  // namespace tallomar::jet4
