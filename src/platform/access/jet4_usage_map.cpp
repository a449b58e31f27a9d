#include "platform/access/jet4_usage_map.h"

#include "platform/access/jet4_data_page.h"
#include "platform/access/jet4_format.h"
#include "platform/error.h"

namespace tallomar::jet4 {

namespace {

constexpr unsigned char kInlineMap = 0x00;
constexpr unsigned char kPageMap = 0x01;
constexpr int kMapPageHeader = 4;
constexpr quint32 kPagesPerMapPage = (kPageSize - kMapPageHeader) * 8;

struct MapRow {
    quint32 page = 0;
    int row = 0;
    DataPage data;
    QByteArray bytes;
};

MapRow readMapRow(const PageFile& file, quint32 mapPointer, const QString& context) {
    const quint32 page = mapPointer >> 8;
    const int row = static_cast<int>(mapPointer & 0xff);
    const QString where = QStringLiteral("%1, usage map on page %2").arg(context).arg(page);
    DataPage data = DataPage::open(file.page(page), where);
    if (row >= data.rowCount()) throw Error(QStringLiteral("%1: no row %2").arg(where).arg(row));
    QByteArray bytes = data.rowBytes(row);
    if (bytes.isEmpty() || (bytes[0] != kInlineMap && bytes[0] != kPageMap) ||
        (bytes[0] == kInlineMap && bytes.size() < 5))
        throw Error(QStringLiteral("%1: damaged usage map").arg(where));
    return {page, row, std::move(data), std::move(bytes)};
}

bool bitSet(const QByteArray& bytes, qsizetype bitmapStart, quint32 bit) {
    return static_cast<unsigned char>(bytes[bitmapStart + bit / 8]) & (1u << (bit % 8));
}

void setBit(QByteArray& bytes, qsizetype bitmapStart, quint32 bit) {
    bytes[bitmapStart + bit / 8] = static_cast<char>(bytes[bitmapStart + bit / 8] | (1 << (bit % 8)));
}

}  // namespace

std::vector<quint32> usagePages(const PageFile& file, quint32 mapPointer, const QString& context) {
    const MapRow map = readMapRow(file, mapPointer, context);
    std::vector<quint32> pages;
    const auto keep = [&](quint64 page) {
        if (page < file.pageCount()) pages.push_back(static_cast<quint32>(page));
    };
    if (map.bytes[0] == kInlineMap) {
        const quint32 start = get32(map.bytes, 1);
        const quint32 bits = static_cast<quint32>(map.bytes.size() - 5) * 8;
        for (quint32 bit = 0; bit < bits; ++bit) {
            if (bitSet(map.bytes, 5, bit)) keep(quint64(start) + bit);
        }
        return pages;
    }
    for (qsizetype slot = 0; 1 + 4 * (slot + 1) <= map.bytes.size(); ++slot) {
        const quint32 mapPage = get32(map.bytes, static_cast<int>(1 + 4 * slot));
        if (mapPage == 0 || mapPage >= file.pageCount()) continue;
        const QByteArray bitmap = file.page(mapPage);
        for (quint32 bit = 0; bit < kPagesPerMapPage; ++bit) {
            if (bitSet(bitmap, kMapPageHeader, bit)) keep(quint64(slot) * kPagesPerMapPage + bit);
        }
    }
    return pages;
}

void addUsagePage(PageFile& file, quint32 mapPointer, quint32 page, const QString& context) {
    MapRow map = readMapRow(file, mapPointer, context);
    if (map.bytes[0] == kPageMap) {
        const qsizetype slot = page / kPagesPerMapPage;
        const quint32 mapPage =
            1 + 4 * (slot + 1) <= map.bytes.size() ? get32(map.bytes, static_cast<int>(1 + 4 * slot)) : 0;
        if (mapPage == 0 || mapPage >= file.pageCount())
            throw Error(QStringLiteral("%1: the usage map has no bitmap page for page %2").arg(context).arg(page));
        QByteArray bitmap = file.page(mapPage);
        setBit(bitmap, kMapPageHeader, page % kPagesPerMapPage);
        file.setPage(mapPage, bitmap);
        return;
    }
    const quint32 start = get32(map.bytes, 1);
    if (page < start)
        throw Error(QStringLiteral("%1: page %2 lies before the start of the usage map").arg(context).arg(page));
    const quint32 bit = page - start;
    const qsizetype needed = 5 + bit / 8 + 1;
    if (needed > map.bytes.size()) map.bytes.append(QByteArray(needed - map.bytes.size(), '\0'));
    setBit(map.bytes, 5, bit);
    if (!map.data.replaceRow(map.row, map.bytes))
        throw Error(QStringLiteral("%1: the usage map on page %2 has no room to list page %3")
                        .arg(context)
                        .arg(map.page)
                        .arg(page));
    file.setPage(map.page, map.data.bytes());
}

}  // namespace tallomar::jet4
