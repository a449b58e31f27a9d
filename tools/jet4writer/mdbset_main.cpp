// tallomar-mdbset FILE.mdb TABLE COLUMN ROW VALUE
// tallomar-mdbset FILE.mdb TABLE COLUMN ROW --null
//
// Changes one text or memo cell through the in-place cell updater. ROW is
// the row's place (from 1) in file order, as tallomar-mdbdump lists it.
#include "platform/access/mdb_cell_updater.h"
#include "platform/access/mdb_reader.h"
#include "platform/error.h"
#include "platform/text/standard_streams.h"

#include <QCoreApplication>
#include <cstdio>

int main(int argc, char** argv) {
    tallomar::useUtf8StandardStreams();
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 6) {
        std::fprintf(stderr, "usage: tallomar-mdbset FILE.mdb TABLE COLUMN ROW VALUE|--null\n");
        return 2;
    }
    try {
        const auto tables = tallomar::mdb::readTables(args[1], {args[2]});
        bool ok = false;
        const int row = args[4].toInt(&ok);
        if (tables.empty() || !ok || row < 1 || static_cast<size_t>(row) > tables.front().locations.size())
            throw tallomar::Error(QStringLiteral("%1: no row %2 in table %3").arg(args[1], args[4], args[2]));
        const QVariant value = args[5] == QLatin1String("--null") ? QVariant() : QVariant(args[5]);
        tallomar::mdb::saveCellChanges(args[1], {{args[2], tables.front().locations[row - 1], args[3], value}});
    } catch (const tallomar::Error& error) {
        std::fprintf(stderr, "tallomar-mdbset: %s\n", error.what());
        return 1;
    }
    return 0;
}
