#include "logic/workbench/script_batches.h"

#include "logic/workbench/script_text_reader.h"

namespace tallomar {

bool isSeparatorLine(QStringView line) {
    if (!line.startsWith(u"GO", Qt::CaseInsensitive)) return false;
    if (line.size() == 2) return true;
    const QChar next = line[2];
    return !(next.isLetterOrNumber() || next == u'_');
}

namespace {

// The room of a batch up to this many characters is kept for the next batch,
// so that batch after batch reuses memory; a larger batch's memory goes back
// as soon as it has been sent, so that a script of several large batches
// never holds two of them at once.
constexpr qsizetype kReusedCharacters = 1 << 20;

}  // namespace

bool BatchCollector::addPiece(QStringView piece, bool endsLine) {
    if (!ready_.isEmpty()) {
        if (ready_.capacity() > kReusedCharacters) {
            ready_ = QString();
        } else {
            ready_.resize(0);
        }
    }
    if (!inLine_) {
        ++linesSeen_;
        // A first part that does not end its line holds enough of it to tell.
        separatorLine_ = isSeparatorLine(piece);
    }
    inLine_ = !endsLine;
    if (!separatorLine_) {
        collecting_.append(piece);
        if (endsLine) collecting_.append(u" \r\n");
        return false;
    }
    if (!endsLine) return false;
    // Every collected line ends in CR LF, so only a separator that follows
    // another separator (or opens the file) finds nothing to send; a batch of
    // empty lines is still sent.
    const bool closed = finish();
    collectingFirstLine_ = linesSeen_ + 1;
    return closed;
}

bool BatchCollector::finish() {
    if (collecting_.isEmpty()) return false;
    // The batch sent before was emptied by the piece that followed it: its
    // room, if kept, now collects the next batch.
    ready_.swap(collecting_);
    readyFirstLine_ = collectingFirstLine_;
    return true;
}

void forEachBatch(const QString& path, const std::function<void(QString& batch, qint64 firstLine)>& send) {
    ScriptTextReader reader(path);
    forEachBatch(reader, send);
}

void forEachBatch(ScriptTextReader& reader, const std::function<void(QString& batch, qint64 firstLine)>& send) {
    BatchCollector collector;
    QStringView piece;
    bool endsLine = false;
    while (reader.nextPiece(piece, endsLine)) {
        if (collector.addPiece(piece, endsLine)) send(collector.batch(), collector.batchFirstLine());
    }
    if (collector.finish()) send(collector.batch(), collector.batchFirstLine());
}

}  // namespace tallomar
