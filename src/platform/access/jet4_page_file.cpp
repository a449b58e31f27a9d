#include "platform/access/jet4_page_file.h"

#include "platform/access/jet4_format.h"
#include "platform/error.h"

namespace tallomar::jet4 {

PageFile::PageFile(QByteArray& bytes, QString name) : bytes_(bytes), name_(std::move(name)) {}

quint32 PageFile::pageCount() const {
    return static_cast<quint32>(bytes_.size() / kPageSize);
}

QByteArray PageFile::page(quint32 number) const {
    if (number >= pageCount())
        throw Error(QStringLiteral("%1: page %2 lies beyond the end of the file").arg(name_).arg(number));
    return bytes_.mid(qint64(number) * kPageSize, kPageSize);
}

void PageFile::setPage(quint32 number, const QByteArray& page) {
    bytes_.replace(qint64(number) * kPageSize, kPageSize, page);
}

quint32 PageFile::appendPage(const QByteArray& page) {
    const quint32 number = pageCount();
    bytes_.append(page);
    return number;
}

}  // namespace tallomar::jet4
