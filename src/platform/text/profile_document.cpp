#include "platform/text/profile_document.h"

#include "platform/error.h"
#include "platform/text/codepage.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace tallomar::profile {

namespace {

bool sameName(const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

QString withoutQuotes(const QString& value) {
    if (value.size() >= 2 && value.front() == value.back() &&
        (value.front() == QLatin1Char('"') || value.front() == QLatin1Char('\'')))
        return value.mid(1, value.size() - 2);
    return value;
}

bool holdsLineBreak(const QString& text) {
    return text.contains(QLatin1Char('\r')) || text.contains(QLatin1Char('\n'));
}

}  // namespace

Document::Document(QByteArray bytes) : bytes_(std::move(bytes)) {
    if (bytes_.startsWith("\xEF\xBB\xBF")) {
        encoding_ = Encoding::Utf8;
        textStart_ = 3;
    } else if (bytes_.startsWith("\xFF\xFE")) {
        encoding_ = Encoding::Utf16Le;
        textStart_ = 2;
    } else if (bytes_.startsWith("\xFE\xFF")) {
        encoding_ = Encoding::Utf16Be;
        textStart_ = 2;
    }
    splitLines();
}

int Document::unitSize() const {
    return encoding_ == Encoding::Utf16Le || encoding_ == Encoding::Utf16Be ? 2 : 1;
}

// One code unit. In GBK no byte of a two-byte character is below 0x40, and in
// UTF-8 none is below 0x80, so line breaks, "=" and the like are found by
// their single byte without decoding.
char16_t Document::unitAt(qsizetype offset) const {
    const auto byte = [this](qsizetype i) { return static_cast<unsigned char>(bytes_[i]); };
    switch (encoding_) {
        case Encoding::Utf16Le:
            return static_cast<char16_t>(byte(offset) | byte(offset + 1) << 8);
        case Encoding::Utf16Be:
            return static_cast<char16_t>(byte(offset) << 8 | byte(offset + 1));
        case Encoding::Gbk:
        case Encoding::Utf8:
            break;
    }
    return byte(offset);
}

QString Document::decode(qsizetype from, qsizetype to) const {
    const QByteArrayView view(bytes_.constData() + from, to - from);
    switch (encoding_) {
        case Encoding::Utf8:
            return QString::fromUtf8(view);
        case Encoding::Utf16Le:
            return QStringDecoder(QStringConverter::Utf16LE).decode(view);
        case Encoding::Utf16Be:
            return QStringDecoder(QStringConverter::Utf16BE).decode(view);
        case Encoding::Gbk:
            break;
    }
    // A line with bytes that are not GBK still reads, those bytes as U+FFFD.
    return codepage::decodeGbkReplacing(view);
}

QByteArray Document::encode(const QString& text) const {
    switch (encoding_) {
        case Encoding::Utf8:
            return text.toUtf8();
        case Encoding::Utf16Le:
            return QStringEncoder(QStringConverter::Utf16LE).encode(text);
        case Encoding::Utf16Be:
            return QStringEncoder(QStringConverter::Utf16BE).encode(text);
        case Encoding::Gbk:
            break;
    }
    if (auto bytes = codepage::encodeGbk(text)) return *bytes;
    throw Error(QStringLiteral("\"%1\" holds characters that code page 936 cannot store").arg(text));
}

void Document::splitLines() {
    const int unit = unitSize();
    const qsizetype limit = bytes_.size() - (bytes_.size() - textStart_) % unit;
    qsizetype start = textStart_;
    for (qsizetype at = textStart_; at < limit; at += unit) {
        if (unitAt(at) != u'\n') continue;
        const bool crBefore = at - unit >= start && unitAt(at - unit) == u'\r';
        lines_.push_back(parseLine(start, crBefore ? at - unit : at, at + unit));
        start = at + unit;
    }
    if (start < bytes_.size()) lines_.push_back(parseLine(start, bytes_.size(), bytes_.size()));
}

Document::Line Document::parseLine(qsizetype start, qsizetype contentEnd, qsizetype end) const {
    Line line{start, contentEnd, end, Kind::Other, {}, {}, 0};
    const QString text = decode(start, contentEnd).trimmed();
    if (text.startsWith(QLatin1Char('['))) {
        const qsizetype close = text.indexOf(QLatin1Char(']'));
        line.kind = Kind::Section;
        line.name = text.mid(1, close < 0 ? -1 : close - 1).trimmed();
        return line;
    }
    if (text.isEmpty() || text.startsWith(QLatin1Char(';'))) return line;
    const qsizetype equals = text.indexOf(QLatin1Char('='));
    if (equals < 0) return line;
    line.kind = Kind::Entry;
    line.name = text.left(equals).trimmed();
    line.value = withoutQuotes(text.mid(equals + 1).trimmed());
    for (qsizetype at = start; at < contentEnd; at += unitSize()) {
        if (unitAt(at) == u'=') {
            line.valueStart = at + unitSize();
            break;
        }
    }
    return line;
}

QString Document::lineBreak() const {
    if (lines_.empty() || lines_.front().end == lines_.front().contentEnd) return QStringLiteral("\r\n");
    return lines_.front().end - lines_.front().contentEnd == 2 * unitSize() ? QStringLiteral("\r\n")
                                                                            : QStringLiteral("\n");
}

qsizetype Document::findEntry(const QString& section, const QString& key) const {
    bool inSection = false;
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        const Line& line = lines_[i];
        if (line.kind == Kind::Section)
            inSection = sameName(line.name, section);
        else if (inSection && line.kind == Kind::Entry && sameName(line.name, key))
            return static_cast<qsizetype>(i);
    }
    return -1;
}

std::optional<QString> Document::value(const QString& section, const QString& key) const {
    const qsizetype entry = findEntry(section, key);
    if (entry < 0) return std::nullopt;
    return lines_[static_cast<std::size_t>(entry)].value;
}

QByteArray Document::withValue(const QString& section, const QString& key, const QString& value) const {
    const QString sectionName = section.trimmed();
    const QString keyName = key.trimmed();
    if (sectionName.isEmpty() || sectionName.contains(QLatin1Char(']')) || holdsLineBreak(sectionName))
        throw Error(QStringLiteral("\"%1\" cannot be the name of a section").arg(section));
    if (keyName.isEmpty() || keyName.contains(QLatin1Char('=')) || keyName.startsWith(QLatin1Char('[')) ||
        keyName.startsWith(QLatin1Char(';')) || holdsLineBreak(keyName))
        throw Error(QStringLiteral("\"%1\" cannot be the name of a key").arg(key));
    if (holdsLineBreak(value)) throw Error(QStringLiteral("the value for key \"%1\" holds a line break").arg(key));
    // Text added after half a character would be read a byte out of step.
    if ((bytes_.size() - textStart_) % unitSize() != 0)
        throw Error(QStringLiteral("the file is UTF-16 but ends in half a character"));

    QByteArray result = bytes_;
    const qsizetype entry = findEntry(sectionName, keyName);
    if (entry >= 0) {
        const Line& line = lines_[static_cast<std::size_t>(entry)];
        return result.replace(line.valueStart, line.contentEnd - line.valueStart, encode(value));
    }

    const QString newEntry = keyName + QLatin1Char('=') + value;
    const Line* insertAfter = nullptr;
    bool inSection = false;
    for (const Line& line : lines_) {
        if (line.kind == Kind::Section) {
            if (insertAfter) break;
            inSection = sameName(line.name, sectionName);
            if (inSection) insertAfter = &line;
        } else if (inSection && line.kind == Kind::Entry) {
            insertAfter = &line;
        }
    }
    if (insertAfter) {
        const bool broken = insertAfter->end > insertAfter->contentEnd;
        return result.insert(insertAfter->end, encode(broken ? newEntry + lineBreak() : lineBreak() + newEntry));
    }
    const bool lastLineOpen = !lines_.empty() && lines_.back().end == lines_.back().contentEnd;
    return result.append(encode((lastLineOpen ? lineBreak() : QString()) + QLatin1Char('[') + sectionName +
                                QLatin1Char(']') + lineBreak() + newEntry + lineBreak()));
}

}  // namespace tallomar::profile
