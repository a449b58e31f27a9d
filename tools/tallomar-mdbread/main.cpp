// The Access reader that tallomar programs start to read a tool database:
// libmdb may crash or loop on a damaged file, and must not take the program
// with it. tallomar-mdbread FILE ADDRESS_SPACE_BYTES [TABLE...]; see
// contained_run.h for how the tables come back.
#include "libmdb_read.h"

#include "platform/access/contained_run.h"
#include "platform/access/mdb_file_header.h"
#include "platform/text/standard_streams.h"

#include <QCoreApplication>
#include <QStringList>
#include <cstdio>

int main(int argc, char* argv[]) {
    tallomar::useUtf8StandardStreams();
    using namespace tallomar::mdb;
    // Qt reads the command line as the system passes it (UTF-16 on Windows,
    // where argv holds the ANSI code page, which cannot name every file).
    const QCoreApplication application(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() < 3) {
        std::fputs("usage: tallomar-mdbread FILE ADDRESS_SPACE_BYTES [TABLE...]\n", stderr);
        return 2;
    }
    const QString path = arguments[1];
    const quint64 addressSpace = arguments[2].toULongLong();
    const QStringList only = arguments.mid(3);
    return serveContained(addressSpace, [&](const ContainedStep& step, const ContainedOutput& output) {
        readWithLibmdb(path, readFileHeader(path), only, step, output);
    });
}
