#pragma once

#include <QString>
#include <QStringView>
#include <functional>

namespace tallomar {

class ScriptTextReader;

// A separator line: its first two characters are "GO" in any letter case and
// what follows them, if anything, is not a letter, a digit or an underscore.
// "GO", "go -- next", "GO;" and "GO 2" separate; "GOTO done" and
// "goods_id int," are script text, and so is an indented GO. A count after GO
// is not honoured: the batch runs once.
bool isSeparatorLine(QStringView line);

// Collects script lines into batches the way the server is sent them: every
// line contributes its text, one blank, then CR LF; a separator line closes
// the batch and is itself dropped.
class BatchCollector {
public:
    // Takes the next piece of a line (without its line end), as
    // ScriptTextReader::nextPiece hands it out: the whole line, or a part of
    // it whose last part has `endsLine`. True when it ended a separator
    // line that closed a batch, which batch() then holds until the next
    // call.
    bool addPiece(QStringView piece, bool endsLine);
    // At the end of the file: true when a batch is left, in batch().
    bool finish();
    // The batch, which its receiver may change in place (the runner renames
    // the result table in it) until the next call.
    QString& batch() { return ready_; }
    // The line of the file (from 1) where batch() starts.
    qint64 batchFirstLine() const { return readyFirstLine_; }

private:
    QString collecting_;
    QString ready_;
    bool inLine_ = false;         // the pieces so far did not end their line
    bool separatorLine_ = false;  // the line of those pieces is a separator
    qint64 linesSeen_ = 0;
    qint64 collectingFirstLine_ = 1;
    qint64 readyFirstLine_ = 0;
};

// Reads the script file at `path` as a stream and hands each batch to `send`
// with the line of the file (from 1) where it starts, in file order, as soon
// as it is complete; a batch is handed out only after every line of it has
// been read and decoded. `send` may change the batch in place: it is the
// reading's own, held only until `send` returns. Throws tallomar::Error when
// the file cannot be opened or read, or holds bytes not valid in its encoding
// (see ScriptTextReader); whatever `send` throws ends the reading at once.
void forEachBatch(const QString& path, const std::function<void(QString& batch, qint64 firstLine)>& send);
// The same from a reader already open.
void forEachBatch(ScriptTextReader& reader, const std::function<void(QString& batch, qint64 firstLine)>& send);

}  // namespace tallomar
