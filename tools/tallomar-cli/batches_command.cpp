#include "batches_command.h"

#include "logic/workbench/script_batches.h"
#include "platform/error.h"
#include "platform/text/command_line.h"
#include "platform/text/windows_path.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <cstdio>

namespace tallomar::cli {

namespace {

// QJsonDocument writes arrays and objects only: a one-element array, less
// its brackets, is the string in JSON.
QByteArray jsonString(const QString& text) {
    const QByteArray array = QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact);
    return array.sliced(1, array.size() - 2);
}

}  // namespace

int batchesCommand(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("tallomar-cli batches FILE: prints each batch of a script exactly as the runner sends it, one "
                       "JSON string per line."));
    const QStringList all = subcommandArguments(QStringLiteral("batches"), arguments);
    if (const auto status = readCommandLine(parser, all, {{QStringLiteral("FILE"), QStringLiteral("the script file")}}))
        return *status;
    const QString path = resolveWindowsPath(parser.positionalArguments().constFirst());
    try {
        forEachBatch(path, [](const QString& batch, qint64) {
            const QByteArray line = jsonString(batch) + '\n';
            std::fwrite(line.constData(), 1, size_t(line.size()), stdout);
        });
    } catch (const Error& error) {
        // The reader's failures name the file.
        std::fflush(stdout);
        std::fprintf(stderr, "tallomar-cli batches: %s\n", error.message().toUtf8().constData());
        return 1;
    }
    return std::fflush(stdout) == 0 ? 0 : 1;
}

}  // namespace tallomar::cli
