#include "logic/workbench/script_text_reader.h"

#include "platform/error.h"
#include "platform/text/codepage.h"

#include <QStringDecoder>
#include <algorithm>

namespace tallomar {

namespace {

bool isLineEndByte(char byte) {
    return byte == '\r' || byte == '\n';
}

bool isLineEnd(char16_t unit) {
    return unit == u'\r' || unit == u'\n';
}

bool isUtf16(ScriptTextReader::Encoding encoding) {
    return encoding == ScriptTextReader::Encoding::Utf16LittleEndian ||
           encoding == ScriptTextReader::Encoding::Utf16BigEndian;
}

QString encodingName(ScriptTextReader::Encoding encoding) {
    switch (encoding) {
        case ScriptTextReader::Encoding::Gbk:
            return QStringLiteral("GBK");
        case ScriptTextReader::Encoding::Utf8:
            return QStringLiteral("UTF-8");
        case ScriptTextReader::Encoding::Utf16LittleEndian:
            return QStringLiteral("UTF-16LE");
        case ScriptTextReader::Encoding::Utf16BigEndian:
            return QStringLiteral("UTF-16BE");
    }
    return {};
}

bool hasLoneSurrogate(QStringView text) {
    for (qsizetype at = 0; at < text.size(); ++at) {
        const QChar c = text[at];
        if (c.isHighSurrogate() && at + 1 < text.size() && text[at + 1].isLowSurrogate()) {
            ++at;
        } else if (c.isSurrogate()) {
            return true;
        }
    }
    return false;
}

}  // namespace

ScriptTextReader::ScriptTextReader(const QString& path) : path_(path), file_(path), device_(file_) {
    if (!file_.open(QIODevice::ReadOnly)) throw Error(QStringLiteral("%1：%2").arg(path_, file_.errorString()));
    detectByteOrderMark();
}

ScriptTextReader::ScriptTextReader(QIODevice& device, const QString& name, qsizetype pieceBytes)
    : path_(name), device_(device), pieceBytes_(pieceBytes), partLength_(std::max<qsizetype>(pieceBytes, 3)) {
    detectByteOrderMark();
}

void ScriptTextReader::detectByteOrderMark() {
    const QByteArray head = device_.peek(3);
    if (head.startsWith("\xEF\xBB\xBF")) {
        encoding_ = Encoding::Utf8;
        device_.skip(3);
    } else if (head.startsWith("\xFF\xFE")) {
        encoding_ = Encoding::Utf16LittleEndian;
        device_.skip(2);
    } else if (head.startsWith("\xFE\xFF")) {
        encoding_ = Encoding::Utf16BigEndian;
        device_.skip(2);
    }
}

bool ScriptTextReader::nextPiece(QStringView& piece, bool& endsLine) {
    for (;;) {
        const char16_t* units = reinterpret_cast<const char16_t*>(text_.constData());
        const qsizetype size = text_.size();
        const char16_t* end = std::find_if(units + scanned_, units + size, isLineEnd);
        if (end != units + size) {
            const qsizetype at = end - units;
            // A CR that ends the decoded text may be the first half of CR LF.
            if (*end == u'\r' && at + 1 == size && decodeMore()) continue;
            piece = QStringView(units + position_, at - position_);
            qsizetype next = at + 1;
            if (*end == u'\r' && next < size && units[next] == u'\n') ++next;
            position_ = scanned_ = next;
            handOut(true, endsLine);
            return true;
        }
        scanned_ = size;
        if (size - position_ >= partLength_) {
            piece = QStringView(units + position_, size - position_);
            position_ = size;
            handOut(false, endsLine);
            return true;
        }
        if (decodeMore()) continue;
        if (invalidAhead_) throwInvalidBytes();
        if (position_ == size && !inLine_) return false;
        piece = QStringView(units + position_, size - position_);
        position_ = size;
        handOut(true, endsLine);
        return true;
    }
}

void ScriptTextReader::handOut(bool lineEnded, bool& endsLine) {
    endsLine = lineEnded;
    inLine_ = !lineEnded;
    if (lineEnded) ++lineNumber_;
}

bool ScriptTextReader::decodeMore() {
    if (invalidAhead_) return false;
    const qsizetype held = carry_.size();
    carry_.resize(held + pieceBytes_);
    const qint64 read = device_.read(carry_.data() + held, pieceBytes_);
    if (read < 0) throw Error(QStringLiteral("%1：%2").arg(path_, device_.errorString()));
    carry_.resize(held + read);
    if (read == 0) endOfFile_ = true;
    if (carry_.isEmpty()) return false;

    const qsizetype cut = safeCut(carry_, endOfFile_);
    const QByteArrayView piece(carry_.constData(), cut);
    text_.remove(0, position_);
    scanned_ -= position_;
    position_ = 0;
    if (std::optional<QString> decoded = decode(piece)) {
        text_ += *decoded;
    } else {
        // The lines before the bad one are still handed out, so that the
        // batches they complete run exactly as with a valid file.
        text_ += *decode(piece.first(validPrefix(piece)));
        invalidAhead_ = true;
    }
    carry_.remove(0, cut);
    return true;
}

qsizetype ScriptTextReader::safeCut(QByteArrayView bytes, bool endOfFile) const {
    const qsizetype size = bytes.size();
    if (endOfFile) return size;
    if (isUtf16(encoding_)) {
        qsizetype cut = size & ~qsizetype(1);
        if (cut >= 2) {
            const auto high = uchar(bytes[cut - (encoding_ == Encoding::Utf16LittleEndian ? 1 : 2)]);
            if (high >= 0xD8 && high <= 0xDB) cut -= 2;  // keep a surrogate pair together
        }
        return cut;
    }
    if (encoding_ == Encoding::Gbk) {
        // A byte below 0x40 (a line end, a blank, a digit, most punctuation)
        // is never either byte of a double-byte character, so a character
        // starts right after it; SQL text has one near the end of any piece.
        const auto single = std::find_if(bytes.rbegin(), bytes.rend(), [](char byte) { return uchar(byte) < 0x40; });
        if (single != bytes.rend()) return bytes.rend() - single;
        qsizetype at = 0;
        for (;;) {
            const uchar byte = uchar(bytes[at]);
            const qsizetype width = byte >= 0x81 && byte <= 0xFE ? 2 : 1;
            if (at + width > size) return at;
            at += width;
            if (at == size) return at;
        }
    }
    // UTF-8 shows where each character starts: only one that the piece ends
    // inside is left for the next piece.
    qsizetype lead = size - 1;
    while (lead > 0 && (uchar(bytes[lead]) & 0xC0) == 0x80) --lead;
    const uchar byte = uchar(bytes[lead]);
    const qsizetype width = byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : byte >= 0xC0 ? 2 : 1;
    return lead + width <= size ? size : lead;
}

qsizetype ScriptTextReader::validPrefix(QByteArrayView piece) const {
    const qsizetype step = isUtf16(encoding_) ? 2 : 1;
    const qsizetype low = encoding_ == Encoding::Utf16BigEndian ? 1 : 0;
    auto endsLine = [&](qsizetype at) {
        if (step == 1) return isLineEndByte(piece[at]);
        return piece[at + 1 - low] == 0 && isLineEndByte(piece[at + low]);
    };
    qsizetype lineStart = 0;
    for (qsizetype at = 0; at + step <= piece.size(); at += step) {
        if (!endsLine(at)) continue;
        if (!decode(piece.sliced(lineStart, at - lineStart))) return lineStart;
        lineStart = at + step;
    }
    return lineStart;
}

std::optional<QString> ScriptTextReader::decode(QByteArrayView piece) const {
    if (encoding_ == Encoding::Gbk) return codepage::decodeGbk(piece);
    const auto encoding = encoding_ == Encoding::Utf8                ? QStringConverter::Utf8
                          : encoding_ == Encoding::Utf16LittleEndian ? QStringConverter::Utf16LE
                                                                     : QStringConverter::Utf16BE;
    // Each piece is decoded on its own: a U+FEFF at the start of a piece is
    // text, not a byte-order mark (the file's mark was already skipped).
    QStringDecoder decoder(encoding, QStringConverter::Flag::Stateless | QStringConverter::Flag::ConvertInitialBom);
    QString text = decoder.decode(piece);
    if (decoder.hasError()) return std::nullopt;
    // Qt's UTF-16 decoder passes a lone surrogate through and drops an odd
    // last byte; both are invalid bytes of the file.
    if (isUtf16(encoding_) && (piece.size() % 2 != 0 || hasLoneSurrogate(text))) return std::nullopt;
    return text;
}

void ScriptTextReader::throwInvalidBytes() const {
    throw Error(QStringLiteral("%1：第 %2 行含有不符合 %3 编码的字节。")
                    .arg(path_)
                    .arg(lineNumber_ + 1)
                    .arg(encodingName(encoding_)));
}

}  // namespace tallomar
