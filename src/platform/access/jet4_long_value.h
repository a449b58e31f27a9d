#pragma once

#include <QByteArray>
#include <functional>

// Memo and OLE values as a row stores them: inline after their 12-byte
// header when short, otherwise on LVAL pages, either as the one row of a
// page or as a chain of pages, each row starting with the pointer to the
// next.
namespace tallomar::jet4 {

// Values up to this many bytes stay in the row.
constexpr int kLongValueInlineLimit = 1024;

// Adds a whole page to the file; returns its number.
using PageAppender = std::function<quint32(const QByteArray& page)>;

// The field to put in the row for `data`, adding the LVAL pages it needs.
QByteArray storeLongValue(const QByteArray& data, const PageAppender& appendPage);

}  // namespace tallomar::jet4
