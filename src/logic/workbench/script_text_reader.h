#pragma once

#include <QFile>
#include <QIODevice>
#include <QString>
#include <QStringView>
#include <optional>

namespace tallomar {

// Reads a script file as a stream of lines, a long line in parts: the file is
// decoded a piece at a time, so memory stays flat whatever the size of the
// file and the length of its lines.
//
// Script files are in code page 936 (GBK) unless they start with a UTF-8 or
// UTF-16 (little- or big-endian) byte-order mark; the mark is not part of the
// text. A line ends at CR LF, at a lone CR or at a lone LF; a last line
// without a line end is still a line. A byte sequence that is not valid in the
// file's encoding is never turned into some other character: reading the line
// that holds it throws, naming the file and the line.
class ScriptTextReader {
public:
    // Opens the file; throws tallomar::Error with the path and the file
    // system's description ("PATH：No such file or directory") when it
    // cannot be opened.
    explicit ScriptTextReader(const QString& path);
    // Reads from an open device, `pieceBytes` at a time; `name` stands for
    // it in messages.
    ScriptTextReader(QIODevice& device, const QString& name, qsizetype pieceBytes = kPieceBytes);

    // The next piece of text, without a line end, valid until the next call:
    // a whole line, or a part of a line that is long (a generated INSERT can
    // put hundreds of megabytes on one line), so that only a piece of the
    // file is held here whatever the length of its lines. `endsLine` tells
    // whether the piece is the last of its line. A part that does not end
    // its line holds at least three characters: enough to tell a separator
    // line by its first part. False at the end of the file. Throws
    // tallomar::Error naming the file when it cannot be read or the line
    // holds bytes that are not valid in the file's encoding.
    bool nextPiece(QStringView& piece, bool& endsLine);

    enum class Encoding { Gbk, Utf8, Utf16LittleEndian, Utf16BigEndian };

    // Large enough that the per-piece cost vanishes, small enough that memory
    // stays flat.
    static constexpr qsizetype kPieceBytes = 1 << 20;

private:
    void detectByteOrderMark();
    // Notes the piece being handed out as the end of its line or a part.
    void handOut(bool lineEnded, bool& endsLine);
    // Decodes the next piece of the file onto the pending text; false at the
    // end of the file.
    bool decodeMore();
    // Where the piece of raw bytes may be cut so that no character is split.
    qsizetype safeCut(QByteArrayView bytes, bool endOfFile) const;
    // The part of a piece before its first line holding bytes that are not
    // valid in the encoding.
    qsizetype validPrefix(QByteArrayView piece) const;
    // The piece as text; empty optional when it holds invalid bytes.
    std::optional<QString> decode(QByteArrayView piece) const;
    [[noreturn]] void throwInvalidBytes() const;

    QString path_;
    QFile file_;
    QIODevice& device_;  // file_ unless a device was given
    qsizetype pieceBytes_ = kPieceBytes;
    // Decoded text of one line without a line end is handed out as a part
    // once it is this long.
    qsizetype partLength_ = kPieceBytes;
    Encoding encoding_ = Encoding::Gbk;
    QByteArray carry_;        // raw bytes read but not yet decoded
    QString text_;            // decoded text not yet handed out
    qsizetype position_ = 0;  // start of the next piece in text_
    qsizetype scanned_ = 0;   // text_ before this holds no line end after position_
    bool endOfFile_ = false;
    bool inLine_ = false;        // a part of the current line was handed out
    bool invalidAhead_ = false;  // the text after text_ starts a line with invalid bytes
    qint64 lineNumber_ = 0;
};

}  // namespace tallomar
