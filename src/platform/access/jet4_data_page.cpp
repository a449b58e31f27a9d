#include "platform/access/jet4_data_page.h"

#include "platform/access/jet4_format.h"
#include "platform/error.h"

#include <cstring>

namespace tallomar::jet4 {

DataPage::DataPage(QByteArray bytes, QString context) : page_(std::move(bytes)), context_(std::move(context)) {}

DataPage DataPage::create(quint32 owner, bool longValues) {
    QByteArray page(kPageSize, '\0');
    page[0] = static_cast<char>(kDataPage);
    page[1] = 0x01;
    if (longValues)
        std::memcpy(page.data() + kOwnerOffset, "LVAL", 4);
    else
        put32(page, kOwnerOffset, owner);
    DataPage result(page, QString());
    result.setFreeSpace(kPageSize - kRowOffsetsStart);
    return result;
}

DataPage DataPage::open(const QByteArray& bytes, const QString& context) {
    if (bytes.size() != kPageSize || static_cast<unsigned char>(bytes[0]) != kDataPage)
        throw Error(QStringLiteral("%1: not a data page").arg(context));
    DataPage page(bytes, context);
    const int count = page.rowCount();
    if (kRowOffsetsStart + 2 * count > kPageSize)
        throw Error(QStringLiteral("%1: damaged data page (row count)").arg(context));
    int previous = kPageSize;
    for (int row = 0; row < count; ++row) {
        const int start = page.rowStart(row);
        if (start < kRowOffsetsStart + 2 * count || start > previous)
            throw Error(QStringLiteral("%1: damaged data page (row offsets out of order)").arg(context));
        previous = start;
    }
    return page;
}

int DataPage::rowCount() const {
    return get16(page_, kRowCountOffset);
}

quint16 DataPage::rowFlags(int row) const {
    return get16(page_, kRowOffsetsStart + 2 * row) & ~kRowOffsetMask;
}

int DataPage::rowStart(int row) const {
    return get16(page_, kRowOffsetsStart + 2 * row) & kRowOffsetMask;
}

int DataPage::rowEnd(int row) const {
    return row == 0 ? kPageSize : rowStart(row - 1);
}

QByteArray DataPage::rowBytes(int row) const {
    return page_.mid(rowStart(row), rowEnd(row) - rowStart(row));
}

int DataPage::freeSpace() const {
    return get16(page_, kFreeSpaceOffset);
}

void DataPage::setFreeSpace(int value) {
    put16(page_, kFreeSpaceOffset, static_cast<quint16>(value));
}

int DataPage::appendRow(const QByteArray& row, quint16 flags) {
    const int count = rowCount();
    const int lowest = count == 0 ? kPageSize : rowStart(count - 1);
    const int start = lowest - static_cast<int>(row.size());
    if (count >= kMostRowsPerPage || start < kRowOffsetsStart + 2 * (count + 1)) return -1;
    std::memcpy(page_.data() + start, row.constData(), row.size());
    put16(page_, kRowOffsetsStart + 2 * count, static_cast<quint16>(start | flags));
    put16(page_, kRowCountOffset, static_cast<quint16>(count + 1));
    setFreeSpace(start - kRowOffsetsStart - 2 * (count + 1));
    return count;
}

bool DataPage::replaceRow(int row, const QByteArray& bytes) {
    const int count = rowCount();
    const int oldStart = rowStart(row);
    const int end = rowEnd(row);
    const int delta = static_cast<int>(bytes.size()) - (end - oldStart);
    const int lowest = rowStart(count - 1);
    const int gap = lowest - (kRowOffsetsStart + 2 * count);
    if (delta > gap) return false;
    // Rows after this one lie below it: move them as one block.
    std::memmove(page_.data() + lowest - delta, page_.constData() + lowest, oldStart - lowest);
    for (int later = row; later < count; ++later) {
        const int at = kRowOffsetsStart + 2 * later;
        const quint16 entry = get16(page_, at);
        put16(page_, at, static_cast<quint16>(((entry & kRowOffsetMask) - delta) | (entry & ~kRowOffsetMask)));
    }
    std::memcpy(page_.data() + oldStart - delta, bytes.constData(), bytes.size());
    if (delta < 0) std::memset(page_.data() + lowest, 0, -delta);
    setFreeSpace(freeSpace() - delta);
    return true;
}

void DataPage::setRowFlags(int row, quint16 flags) {
    const int at = kRowOffsetsStart + 2 * row;
    put16(page_, at, static_cast<quint16>((get16(page_, at) & kRowOffsetMask) | flags));
}

}  // namespace tallomar::jet4
