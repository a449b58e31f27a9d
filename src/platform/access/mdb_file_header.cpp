#include "platform/access/mdb_file_header.h"

#include "platform/error.h"

#include <QtEndian>
#include <array>
#include <utility>

namespace tallomar::mdb {

namespace {

constexpr int kVersionOffset = 0x14;
constexpr int kEncodedAreaOffset = 0x18;
constexpr int kDatabaseKeyOffset = 0x3e;
// The catalogue's table definition sits on page 2: a file needs at least
// the definition page, the global usage map and the catalogue.
constexpr quint32 kMinimumPages = 3;

void rc4(const unsigned char* key, int keyLength, unsigned char* data, int length) {
    std::array<unsigned char, 256> state{};
    for (int i = 0; i < 256; ++i) state[i] = static_cast<unsigned char>(i);
    int j = 0;
    for (int i = 0; i < 256; ++i) {
        j = (j + state[i] + key[i % keyLength]) & 0xff;
        std::swap(state[i], state[j]);
    }
    int a = 0;
    int b = 0;
    for (int n = 0; n < length; ++n) {
        a = (a + 1) & 0xff;
        b = (b + state[a]) & 0xff;
        std::swap(state[a], state[b]);
        data[n] ^= state[(state[a] + state[b]) & 0xff];
    }
}

}  // namespace

int encodedHeaderLength(JetVersion version) {
    return version == JetVersion::Jet3 ? 126 : 128;
}

void toggleHeaderEncoding(unsigned char* area, int length) {
    static const unsigned char key[4] = {0xC7, 0xDA, 0x39, 0x6B};
    rc4(key, 4, area, length);
}

FileHeader parseFileHeader(const QByteArray& firstPage, qint64 fileSize, const QString& name) {
    if (fileSize == 0) throw Error(QStringLiteral("%1: the file is empty, not an Access database").arg(name));
    static const QByteArray magic("\x00\x01\x00\x00", 4);
    const bool knownFormat = firstPage.size() > kVersionOffset && firstPage.startsWith(magic) &&
                             (firstPage.mid(4, 15) == "Standard Jet DB" || firstPage.mid(4, 15) == "Standard ACE DB");
    if (!knownFormat) throw Error(QStringLiteral("%1: not an Access database").arg(name));

    FileHeader header;
    header.rawVersion = static_cast<unsigned char>(firstPage[kVersionOffset]);
    switch (header.rawVersion) {
        case 0:
            header.version = JetVersion::Jet3;
            header.pageSize = 2048;
            break;
        case 1:
            header.version = JetVersion::Jet4;
            break;
        case 2:
        case 3:
        case 4:
        case 5:
        case 6:
            header.version = JetVersion::Ace;
            break;
        default:
            throw Error(QStringLiteral("%1: unsupported Access file version %2").arg(name).arg(header.rawVersion));
    }
    if (firstPage.size() < header.pageSize || fileSize < header.pageSize)
        throw Error(QStringLiteral("%1: the file is truncated (shorter than its first page)").arg(name));
    if (fileSize % header.pageSize != 0)
        throw Error(QStringLiteral("%1: the file is truncated (%2 bytes is not a whole number of %3-byte pages)")
                        .arg(name)
                        .arg(fileSize)
                        .arg(header.pageSize));
    header.pageCount = static_cast<quint32>(fileSize / header.pageSize);
    if (header.pageCount < kMinimumPages)
        throw Error(QStringLiteral("%1: the file is truncated (only %2 pages)").arg(name).arg(header.pageCount));

    QByteArray area = firstPage.mid(kEncodedAreaOffset, encodedHeaderLength(header.version));
    toggleHeaderEncoding(reinterpret_cast<unsigned char*>(area.data()), area.size());
    header.databaseKey = qFromLittleEndian<quint32>(area.constData() + (kDatabaseKeyOffset - kEncodedAreaOffset));
    return header;
}

}  // namespace tallomar::mdb
