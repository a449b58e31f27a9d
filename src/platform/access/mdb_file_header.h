#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>

// The database definition page (page 0) of an Access file: what must hold
// before any page of it is trusted.
namespace tallomar::mdb {

enum class JetVersion { Jet3, Jet4, Ace };

struct FileHeader {
    JetVersion version = JetVersion::Jet4;
    int rawVersion = 1;  // byte 0x14 as stored
    int pageSize = 4096;
    quint32 pageCount = 0;
    quint32 databaseKey = 0;  // non-zero: the pages are encoded
};

// Checks magic, format name, Jet version, page size and the file length
// against the page size, on the bytes of the whole file or at least its
// first page plus the real file size. Throws Error starting with `name`
// and saying what is wrong.
FileHeader parseFileHeader(const QByteArray& firstPage, qint64 fileSize, const QString& name);

// Reads the first page of the file at `path` and checks it as above; also
// reports a missing, unreadable or empty file, and anything but a regular
// file (a folder, FIFO or device), without blocking on it.
FileHeader readFileHeader(const QString& path);

// The header area from 0x18 is stored RC4-encoded with a fixed key; this
// decodes (or encodes: RC4 is symmetric) `length` bytes of it in place.
void toggleHeaderEncoding(unsigned char* area, int length);

// Length of the encoded header area for the version.
int encodedHeaderLength(JetVersion version);

}  // namespace tallomar::mdb
