#pragma once

#include "platform/access/mdb_reader.h"

#include <QByteArray>
#include <vector>

// Tables read in a child process travel back to the program as bytes. The
// child writes values straight from libmdb's buffers, without building
// Qt strings or variants: every allocation there copies a page shared with
// the program, so the fewer, the faster.
namespace tallomar::mdb {

class TableEncoder {
public:
    void beginTable(const QByteArray& name, quint32 definitionPage);
    void addColumn(const QByteArray& name, ColumnKind kind);
    void beginRow(RowLocation location);
    void addNull();
    void addInteger(qint64 value);
    void addDouble(double value);
    void addText(const char* utf8, int length);
    void addBytes(const char* data, qsizetype length);

    const QByteArray& bytes() const { return bytes_; }

private:
    template <typename T>
    void put(T value);
    void putBlock(const char* data, qsizetype length);

    QByteArray bytes_;
};

// Throws Error when the bytes are not whole encoded tables.
std::vector<Table> decodeTables(const QByteArray& bytes);

}  // namespace tallomar::mdb
