// Script files come from tool packages: any bytes in GBK, UTF-8 or UTF-16,
// with any line ends and separators. Reading them piece by piece must give
// exactly what reading them at once gives, batches, their first lines and
// failure alike, so the first input byte picks a small piece size that puts
// piece boundaries everywhere, even inside characters, between CR and LF and
// in the first characters of a long line.
#include "fuzz_check.h"
#include "logic/workbench/script_batches.h"
#include "logic/workbench/script_text_reader.h"
#include "platform/error.h"

#include <QBuffer>
#include <QStringList>
#include <cstddef>
#include <cstdint>

namespace {

struct Outcome {
    QStringList batches;
    QList<qint64> firstLines;
    QString failure;
    bool operator==(const Outcome&) const = default;
};

Outcome readBatches(const QByteArray& bytes, qsizetype pieceBytes) {
    QBuffer device;
    device.setData(bytes);
    device.open(QIODevice::ReadOnly);
    Outcome outcome;
    try {
        tallomar::ScriptTextReader reader(device, QStringLiteral("fuzz.sql"), pieceBytes);
        tallomar::forEachBatch(reader, [&](const QString& batch, qint64 firstLine) {
            outcome.batches << batch;
            outcome.firstLines << firstLine;
        });
    } catch (const tallomar::Error& error) {
        outcome.failure = error.message();
    }
    return outcome;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const qsizetype pieceBytes = 1 + data[0] % 8;
    const QByteArray bytes(reinterpret_cast<const char*>(data + 1), static_cast<qsizetype>(size - 1));
    // One piece larger than the file reads it at once, as a real file below
    // the reader's piece size is read.
    const Outcome whole = readBatches(bytes, bytes.size() + 1);
    fuzzExpect(readBatches(bytes, pieceBytes) == whole, "small pieces read as the whole file does");
    for (const QString& batch : whole.batches) {
        fuzzExpect(batch.endsWith(QStringLiteral(" \r\n")), "every batch line ends in blank, CR, LF");
    }
    return 0;
}
