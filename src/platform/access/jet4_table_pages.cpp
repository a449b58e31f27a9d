#include "platform/access/jet4_table_pages.h"

#include "platform/access/jet4_data_page.h"
#include "platform/access/jet4_format.h"
#include "platform/access/jet4_usage_map.h"

namespace tallomar::jet4 {

TablePages::TablePages(PageFile& file, quint32 definitionPage, quint32 usedPagesMap, QString context)
    : file_(file), definitionPage_(definitionPage), usedPagesMap_(usedPagesMap), context_(std::move(context)) {}

bool TablePages::ownsDataPage(const QByteArray& page) const {
    return static_cast<unsigned char>(page[0]) == kDataPage && get32(page, kOwnerOffset) == definitionPage_;
}

mdb::RowLocation TablePages::placeMovedRow(const QByteArray& row) {
    for (const quint32 number : usagePages(file_, usedPagesMap_, context_)) {
        const QByteArray bytes = file_.page(number);
        if (!ownsDataPage(bytes)) continue;
        DataPage page = DataPage::open(bytes, QStringLiteral("%1, page %2").arg(context_).arg(number));
        const int index = page.appendRow(row, kRowDeleted);
        if (index >= 0) {
            file_.setPage(number, page.bytes());
            return {number, static_cast<quint16>(index)};
        }
    }
    DataPage page = DataPage::create(definitionPage_);
    const int index = page.appendRow(row, kRowDeleted);
    const quint32 number = file_.appendPage(page.bytes());
    addUsagePage(file_, usedPagesMap_, number, context_);
    return {number, static_cast<quint16>(index)};
}

std::optional<mdb::RowLocation> TablePages::stubPointingTo(const mdb::RowLocation& moved) const {
    const quint32 pointer = rowPointer(moved.page, static_cast<quint8>(moved.row));
    for (const quint32 number : usagePages(file_, usedPagesMap_, context_)) {
        const QByteArray bytes = file_.page(number);
        if (!ownsDataPage(bytes)) continue;
        const DataPage page = DataPage::open(bytes, QStringLiteral("%1, page %2").arg(context_).arg(number));
        for (int row = 0; row < page.rowCount(); ++row) {
            const QByteArray stub = page.rowBytes(row);
            if (page.rowFlags(row) == kRowOverflow && stub.size() >= 4 && get32(stub, 0) == pointer)
                return mdb::RowLocation{number, static_cast<quint16>(row)};
        }
    }
    return std::nullopt;
}

}  // namespace tallomar::jet4
