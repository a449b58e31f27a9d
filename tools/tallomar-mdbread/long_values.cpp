#include "long_values.h"

#include "platform/error.h"

#include <QtEndian>
#include <utility>

namespace tallomar::mdb {

namespace {

constexpr size_t kHeaderSize = 12;
constexpr quint32 kLengthMask = 0x3fffffff;  // the two bits above it say where the value is
constexpr quint32 kInline = 2;
constexpr quint32 kOneRow = 1;
constexpr quint32 kChain = 0;
constexpr int kNextPointerSize = 4;

constexpr unsigned char kDataPageType = 0x01;
constexpr quint16 kRowDeleted = 0x8000;
constexpr quint16 kRowOverflow = 0x4000;
constexpr quint16 kRowOffsetMask = 0x1fff;

quint16 get16(const char* data, int offset) {
    return qFromLittleEndian<quint16>(data + offset);
}

}  // namespace

LongValues::LongValues(MdbHandle* mdb, quint32 pageCount, QString fileName)
    : mdb_(mdb), pageCount_(pageCount), fileName_(std::move(fileName)) {}

QString LongValues::damaged(const QString& where, const QString& what) const {
    return QStringLiteral("%1: the file is damaged: the long value of %2 %3").arg(fileName_, where, what);
}

LongValues::Row LongValues::longValueRow(quint32 page, unsigned row, const QString& where) {
    if (page == 0 || page >= pageCount_)
        throw Error(damaged(where, QStringLiteral("points to page %1 of %2").arg(page).arg(pageCount_)));
    const int pageSize = static_cast<int>(mdb_->fmt->pg_size);
    if (page != cachedPage_) {
        if (mdb_read_alt_pg(mdb_, page) != pageSize)
            throw Error(damaged(where, QStringLiteral("is on page %1, which cannot be read").arg(page)));
        cached_ = QByteArray(reinterpret_cast<const char*>(mdb_->alt_pg_buf), pageSize);
        cachedPage_ = page;
    }
    const char* bytes = cached_.constData();
    const int rowCountAt = mdb_->fmt->row_count_offset;
    if (static_cast<unsigned char>(bytes[0]) != kDataPageType || QByteArrayView(bytes + 4, 4) != "LVAL")
        throw Error(damaged(where, QStringLiteral("should be on page %1, which is not a long-value page").arg(page)));
    const unsigned rows = get16(bytes, rowCountAt);
    const int offsetsEnd = rowCountAt + 2 + 2 * static_cast<int>(rows);
    if (row >= rows || offsetsEnd > pageSize)
        throw Error(damaged(
            where, QStringLiteral("should be row %1 of page %2, which holds %3 rows").arg(row).arg(page).arg(rows)));
    const quint16 offset = get16(bytes, rowCountAt + 2 + 2 * static_cast<int>(row));
    const int start = offset & kRowOffsetMask;
    const int end = row == 0 ? pageSize : get16(bytes, rowCountAt + 2 * static_cast<int>(row)) & kRowOffsetMask;
    if ((offset & (kRowDeleted | kRowOverflow)) != 0 || start < offsetsEnd || end <= start || end > pageSize)
        throw Error(damaged(
            where, QStringLiteral("is row %1 of page %2, which is deleted or out of place").arg(row).arg(page)));
    return {bytes + start, end - start};
}

QByteArray LongValues::read(const unsigned char* field, size_t size, const QString& where) {
    if (size == 0) return {};
    if (size < kHeaderSize) throw Error(damaged(where, QStringLiteral("has a header of %1 bytes").arg(size)));
    const quint32 word = qFromLittleEndian<quint32>(field);
    const quint32 length = word & kLengthMask;
    const quint32 pointer = qFromLittleEndian<quint32>(field + 4);
    const quint64 fileBytes = quint64(pageCount_) * quint64(mdb_->fmt->pg_size);
    const auto wrongLength = [&](qsizetype found) {
        return Error(
            damaged(where, QStringLiteral("holds %1 bytes, not the %2 its header states").arg(found).arg(length)));
    };
    switch (word >> 30) {
        case kInline: {
            if (size - kHeaderSize != length) throw wrongLength(static_cast<qsizetype>(size - kHeaderSize));
            return QByteArray(reinterpret_cast<const char*>(field + kHeaderSize), static_cast<qsizetype>(length));
        }
        case kOneRow: {
            const Row row = longValueRow(pointer >> 8, pointer & 0xff, where);
            if (static_cast<quint32>(row.length) != length) throw wrongLength(row.length);
            return QByteArray(row.data, row.length);
        }
        case kChain: {
            if (length > fileBytes)
                throw Error(damaged(where, QStringLiteral("states %1 bytes, more than the file holds").arg(length)));
            QByteArray value;
            value.reserve(static_cast<qsizetype>(length));
            quint32 next = pointer;
            while (static_cast<quint32>(value.size()) < length) {
                if (next == 0 && !value.isEmpty())
                    throw Error(damaged(where, QStringLiteral("ends after %1 of the %2 bytes its header states")
                                                   .arg(value.size())
                                                   .arg(length)));
                const Row row = longValueRow(next >> 8, next & 0xff, where);
                const int piece = row.length - kNextPointerSize;
                if (piece <= 0 || static_cast<quint32>(value.size() + piece) > length)
                    throw Error(damaged(where, QStringLiteral("does not add up to the %1 bytes its header states on "
                                                              "page %2")
                                                   .arg(length)
                                                   .arg(next >> 8)));
                next = qFromLittleEndian<quint32>(row.data);
                value.append(row.data + kNextPointerSize, piece);
            }
            return value;
        }
        default:
            throw Error(
                damaged(where, QStringLiteral("has an unknown kind (header %1)").arg(word, 8, 16, QLatin1Char('0'))));
    }
}

}  // namespace tallomar::mdb
