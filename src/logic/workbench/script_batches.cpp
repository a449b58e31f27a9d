#include "logic/workbench/script_batches.h"

#include "logic/workbench/script_text_reader.h"

namespace tallomar {

bool isSeparatorLine(QStringView line) {
    if (!line.startsWith(u"GO", Qt::CaseInsensitive)) return false;
    if (line.size() == 2) return true;
    const QChar next = line[2];
    return !(next.isLetterOrNumber() || next == u'_');
}

bool BatchCollector::addLine(QStringView line) {
    if (!isSeparatorLine(line)) {
        collecting_.append(line);
        collecting_.append(u" \r\n");
        return false;
    }
    // Every collected line ends in CR LF, so only a separator that follows
    // another separator (or opens the file) finds nothing to send; a batch of
    // empty lines is still sent.
    return finish();
}

bool BatchCollector::finish() {
    if (collecting_.isEmpty()) return false;
    // Swapping keeps both buffers' room, so batch after batch reuses memory.
    ready_.swap(collecting_);
    collecting_.resize(0);
    return true;
}

void forEachBatch(const QString& path, const std::function<void(const QString& batch)>& send) {
    ScriptTextReader reader(path);
    forEachBatch(reader, send);
}

void forEachBatch(ScriptTextReader& reader, const std::function<void(const QString& batch)>& send) {
    BatchCollector collector;
    QStringView line;
    while (reader.nextLine(line)) {
        if (collector.addLine(line)) send(collector.batch());
    }
    if (collector.finish()) send(collector.batch());
}

}  // namespace tallomar
