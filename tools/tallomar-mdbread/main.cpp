// The Access reader that tallomar programs start to read a tool database:
// libmdb may crash or loop on a damaged file, and must not take the program
// with it. tallomar-mdbread FILE ADDRESS_SPACE_BYTES [TABLE...]; see
// contained_run.h for how the tables come back.
#include "libmdb_read.h"

#include "platform/access/contained_run.h"
#include "platform/access/mdb_file_header.h"

#include <QFile>
#include <QStringList>
#include <cstdio>
#include <cstdlib>

int main(int argc, char* argv[]) {
    using namespace tallomar::mdb;
    if (argc < 3) {
        std::fputs("usage: tallomar-mdbread FILE ADDRESS_SPACE_BYTES [TABLE...]\n", stderr);
        return 2;
    }
    const QString path = QFile::decodeName(argv[1]);
    const quint64 addressSpace = std::strtoull(argv[2], nullptr, 10);
    QStringList only;
    for (int i = 3; i < argc; ++i) only << QString::fromUtf8(argv[i]);
    return serveContained(addressSpace, [&](const ContainedStep& step, const ContainedOutput& output) {
        readWithLibmdb(path, readFileHeader(path), only, step, output);
    });
}
