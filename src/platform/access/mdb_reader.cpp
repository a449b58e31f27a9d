#include "platform/access/mdb_reader.h"

#include "platform/access/contained_run.h"
#include "platform/access/mdb_file_header.h"
#include "platform/access/program_location.h"
#include "platform/access/table_transfer.h"
#include "platform/error.h"

#include <QFileInfo>

namespace tallomar::mdb {

namespace {

// libmdb is not built for damaged files: one flipped bit can crash it, make
// it loop for ever or have it skip a page with only a warning. It therefore
// reads in the helper program tallomar-mdbread, installed beside every
// program, with limits; any warning it prints counts as damage. The limits
// leave a whole file ample room: reading a 5 MB file takes a fraction of a
// second and a few times its size in memory.
constexpr int kBaseTimeoutMs = 3'000;
constexpr quint64 kFileBytesPerTimeoutMs = 10'000;  // 100 ms more per MB
constexpr quint64 kBaseAddressSpace = 256ull << 20;
constexpr quint64 kAddressSpacePerFileByte = 32;

constexpr char kReaderProgram[] = "tallomar-mdbread";

QString readerProgram() {
    const QString program = programBesideThisOne(QLatin1String(kReaderProgram));
    if (!QFileInfo(program).isExecutable()) throw ProgramIncomplete(program);
    return program;
}

QString firstLine(const QByteArray& messages) {
    for (const QByteArray& line : messages.split('\n'))
        if (!line.trimmed().isEmpty()) return QString::fromUtf8(line.trimmed());
    return {};
}

QString damage(const QString& fileName, const QString& what) {
    return QStringLiteral("%1: the file is damaged: %2").arg(fileName, what);
}

// What the Access reader's trouble says about the file, in plain terms.
QString describe(const ContainedOutcome& outcome, const QString& fileName, const ContainedLimits& limits) {
    const QString step = outcome.step.isEmpty() ? QStringLiteral("the file") : outcome.step;
    const QString said = firstLine(outcome.messages);
    const QString report = said.isEmpty() ? QString() : QStringLiteral(" (it reported \"%1\")").arg(said);
    switch (outcome.end) {
        case ContainedOutcome::End::Failed:
            return outcome.failure;
        case ContainedOutcome::End::Crashed:
            // GLib ends the program when an allocation fails at the limit.
            if (said.contains(QLatin1String("failed to allocate")))
                return damage(fileName,
                              QStringLiteral("reading %1 needed more memory than a file of its size can").arg(step));
            return damage(
                fileName,
                QStringLiteral("reading %1 crashed the Access reader (%2)%3")
                    .arg(step, outcome.crash.isEmpty() ? QStringLiteral("it ended without a result") : outcome.crash,
                         report));
        case ContainedOutcome::End::OutOfMemory:
            return damage(fileName,
                          QStringLiteral("reading %1 needed more memory than a file of its size can").arg(step));
        case ContainedOutcome::End::TimedOut:
            return damage(
                fileName,
                QStringLiteral("reading %1 did not finish within %2 seconds").arg(step).arg(limits.timeoutMs / 1000));
        case ContainedOutcome::End::Flooded:
            return damage(
                fileName,
                QStringLiteral("reading %1, the Access reader reported \"%2\" over and over").arg(step, said));
        case ContainedOutcome::End::Finished:
            break;
    }
    if (said.contains(QLatin1String("beyond EOF")))
        return QStringLiteral("%1: the file is truncated (it refers to pages past its end)").arg(fileName);
    return damage(fileName, QStringLiteral("reading %1, the Access reader reported \"%2\"").arg(step, said));
}

}  // namespace

std::vector<Table> readTables(const QString& path, const QStringList& only) {
    const QString fileName = QFileInfo(path).fileName();
    const FileHeader header = readFileHeader(path);
    ContainedLimits limits;
    const quint64 fileBytes = quint64(header.pageCount) * header.pageSize;
    limits.timeoutMs = kBaseTimeoutMs + static_cast<int>(fileBytes / kFileBytesPerTimeoutMs);
    const quint64 memory = kBaseAddressSpace + kAddressSpacePerFileByte * fileBytes;
    const ContainedOutcome outcome =
        runContained(readerProgram(), QStringList{path, QString::number(memory)} + only, limits);
    if (outcome.end != ContainedOutcome::End::Finished || !outcome.messages.isEmpty())
        throw Error(describe(outcome, fileName, limits));
    return decodeTables(outcome.result);
}

}  // namespace tallomar::mdb
