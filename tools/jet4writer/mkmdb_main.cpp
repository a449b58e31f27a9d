// tallomar-mkmdb DESCRIPTION.json OUT.mdb
//
// Builds a Jet 4 file from a JSON description (see jet4writer/description.h)
// for tests and the demo package. The files read back through libmdb;
// whether Access opens them is unverified: this is not an authoring tool
// for Access users.
#include "jet4writer/description.h"
#include "jet4writer/jet4_writer.h"
#include "platform/error.h"

#include <QCoreApplication>
#include <QFile>
#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 3) {
        std::fprintf(stderr,
                     "usage: tallomar-mkmdb DESCRIPTION.json OUT.mdb\n"
                     "Builds a Jet 4 test fixture from a JSON description. Readable through libmdb;\n"
                     "whether Access opens it is unverified.\n");
        return 2;
    }
    try {
        QFile description(args[1]);
        if (!description.open(QIODevice::ReadOnly))
            throw tallomar::Error(QStringLiteral("%1: %2").arg(args[1], description.errorString()));
        tallomar::jet4::writeDatabase(tallomar::jet4::parseDescription(description.readAll(), args[1]), args[2]);
    } catch (const tallomar::Error& error) {
        std::fprintf(stderr, "tallomar-mkmdb: %s\n", error.what());
        return 1;
    }
    return 0;
}
