// tallomar-mkmdb DESCRIPTION.json OUT.mdb
//
// Builds a Jet 4 file from a JSON description (see jet4writer/description.h)
// for tests and the demo package. The files read back through libmdb;
// whether Access opens them is unverified: this is not an authoring tool
// for Access users.
#include "jet4writer/description.h"
#include "jet4writer/jet4_writer.h"
#include "platform/error.h"
#include "platform/text/command_line.h"
#include "platform/text/standard_streams.h"

#include <QCoreApplication>
#include <QFile>
#include <cstdio>

int main(int argc, char** argv) {
    tallomar::useUtf8StandardStreams();
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Builds a Jet 4 (Access) file from a JSON description, for test fixtures and the\n"
                       "demo tool package. The file reads back through libmdb; whether Access opens it\n"
                       "is unverified.\n"
                       "\n"
                       "Exit status: 0 on success, 1 when the description or the output fails, 2 on bad usage."));
    if (const auto status = tallomar::readCommandLine(
            parser, QCoreApplication::arguments(),
            {{QStringLiteral("DESCRIPTION.json"), QStringLiteral("The tables, columns and rows.")},
             {QStringLiteral("OUT.mdb"), QStringLiteral("The file to write.")}}))
        return *status;

    const QStringList args = parser.positionalArguments();
    try {
        QFile description(args[0]);
        if (!description.open(QIODevice::ReadOnly))
            throw tallomar::Error(QStringLiteral("%1: %2").arg(args[0], description.errorString()));
        tallomar::jet4::writeDatabase(tallomar::jet4::parseDescription(description.readAll(), args[0]), args[1]);
    } catch (const tallomar::Error& error) {
        std::fprintf(stderr, "tallomar-mkmdb: %s\n", error.what());
        return 1;
    }
    return 0;
}
