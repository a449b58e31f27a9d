#pragma once

#include "platform/access/mdb_reader.h"

#include <QByteArray>
#include <functional>
#include <vector>

// Tables read in a child process travel back to the program as bytes. The
// child writes values straight from libmdb's buffers, without building
// Qt strings or variants: every allocation there copies a page shared with
// the program, so the fewer, the faster.
namespace tallomar::mdb {

class TableEncoder {
public:
    // Without a sink the encoder keeps every byte (bytes()); with one it
    // hands them on in pieces of about kPieceBytes and keeps only the piece
    // being filled, so megabytes of tables never sit in one growing buffer.
    using Sink = std::function<void(const QByteArray& piece)>;
    static constexpr qsizetype kPieceBytes = 64 * 1024;
    explicit TableEncoder(Sink sink = {});

    void beginTable(const QByteArray& name, quint32 definitionPage);
    void addColumn(const QByteArray& name, ColumnKind kind);
    void beginRow(RowLocation location);
    void addNull();
    void addInteger(qint64 value);
    void addDouble(double value);
    void addText(const char* utf8, int length);
    void addBytes(const char* data, qsizetype length);

    // Ends a row: with a sink, hands on the piece once it is full.
    void endRow();
    // Hands on what is left to the sink.
    void finish();

    const QByteArray& bytes() const { return bytes_; }

private:
    template <typename T>
    void put(T value);
    void putBlock(const char* data, qsizetype length);

    void handOn();

    Sink sink_;
    QByteArray bytes_;
};

// Throws Error when the bytes are not whole encoded tables.
std::vector<Table> decodeTables(const QByteArray& bytes);

}  // namespace tallomar::mdb
