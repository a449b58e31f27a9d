#pragma once

#include "platform/access/jet4_format.h"

#include <QByteArray>
#include <QString>

// Jet 4 data pages (table rows and LVAL pages): a header with the row
// offset table growing forward, rows stored from the end of the page
// backwards. A row's length is implied by the offset of the row before it,
// so rows keep the order of their offsets.
namespace tallomar::jet4 {

// The largest row a page can hold: all of it but the header and one offset.
constexpr int kLargestRow = kPageSize - kRowOffsetsStart - 2;
// A row pointer names the row by one byte.
constexpr int kMostRowsPerPage = 256;

class DataPage {
public:
    // A fresh, empty page owned by the table definition at `owner`, or an
    // LVAL page when `owner` is 0 and `longValues` is set.
    static DataPage create(quint32 owner, bool longValues = false);
    // An existing page; throws Error with `context` unless it is a data page
    // whose row offsets are consistent.
    static DataPage open(const QByteArray& bytes, const QString& context);

    int rowCount() const;
    quint16 rowFlags(int row) const;
    QByteArray rowBytes(int row) const;
    int freeSpace() const;

    // Adds a row at the end of the offset table; returns its index, or -1
    // when it does not fit or the page already has as many rows as a row
    // pointer can name.
    int appendRow(const QByteArray& row, quint16 flags = 0);
    // Gives row `row` new bytes. Later rows move by the change in length,
    // keeping their bytes, their index and their flags. Returns false, and
    // changes nothing, when the page has no room for the longer row.
    bool replaceRow(int row, const QByteArray& bytes);
    void setRowFlags(int row, quint16 flags);

    const QByteArray& bytes() const { return page_; }

private:
    explicit DataPage(QByteArray bytes, QString context);
    int rowStart(int row) const;
    int rowEnd(int row) const;
    void setFreeSpace(int value);

    QByteArray page_;
    QString context_;
};

}  // namespace tallomar::jet4
