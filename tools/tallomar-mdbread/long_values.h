#pragma once

#include <QByteArray>
#include <QString>

#include <mdbtools.h>

// Memo and OLE values, read whole or refused. A row keeps such a value
// behind a 12-byte header: its length with two flag bits, and a row pointer.
// The value follows the header in the row, or is the one row its pointer
// names on an LVAL page, or is a chain of LVAL rows, each starting with the
// pointer to the next. Jet 3 and Jet 4 differ only in the page size and in
// where a page's row count stands, which libmdb's format constants give.
//
// libmdb cuts a memo at its bind buffer and reads a pointer to any page as
// if it held the value; this reader checks every page and row it follows
// and that the bytes add up to the stated length.
namespace tallomar::mdb {

class LongValues {
public:
    // `mdb` is the open file with `pageCount` pages; `fileName` starts
    // every error message.
    LongValues(MdbHandle* mdb, quint32 pageCount, QString fileName);

    // The stored bytes of the value whose row field is `field` (header and
    // inline bytes, `size` of them). `where` names the cell for messages
    // ("column cValue in table ZOL"). Throws Error when the value is damaged.
    QByteArray read(const unsigned char* field, size_t size, const QString& where);

private:
    struct Row {
        const char* data;
        int length;
    };
    // Row `row` of LVAL page `page`; valid until the next call.
    Row longValueRow(quint32 page, unsigned row, const QString& where);
    QString damaged(const QString& where, const QString& what) const;

    MdbHandle* mdb_;
    quint32 pageCount_;
    QString fileName_;
    quint32 cachedPage_ = 0;  // many values share a page: the last one read stays here (0: none yet)
    QByteArray cached_;
};

}  // namespace tallomar::mdb
