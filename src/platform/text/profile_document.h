#pragma once

#include <QByteArray>
#include <QString>
#include <optional>
#include <vector>

namespace tallomar::profile {

// The bytes of one initialization file and what its lines say. Lines are kept
// as byte ranges, so that a change rewrites one value and nothing else, even
// where the file holds bytes that are not valid in its encoding.
class Document {
public:
    // An empty `bytes` is a new file (code page 936, CR LF line breaks).
    explicit Document(QByteArray bytes);

    const QByteArray& bytes() const { return bytes_; }

    std::optional<QString> value(const QString& section, const QString& key) const;

    // The file's bytes with `value` stored under `key` in `section` (see
    // profile::writeValue). Throws tallomar::Error when a name or the value
    // cannot be written to this file.
    QByteArray withValue(const QString& section, const QString& key, const QString& value) const;

private:
    enum class Encoding { Gbk, Utf8, Utf16Le, Utf16Be };
    enum class Kind { Other, Section, Entry };

    struct Line {
        qsizetype start = 0;       // first byte of the line
        qsizetype contentEnd = 0;  // end of its text, before the line break
        qsizetype end = 0;         // after the line break
        Kind kind = Kind::Other;
        QString name;              // section name or key
        QString value;             // an entry's value as read
        qsizetype valueStart = 0;  // first byte after an entry's "="
    };

    int unitSize() const;
    char16_t unitAt(qsizetype offset) const;
    QString decode(qsizetype from, qsizetype to) const;
    QByteArray encode(const QString& text) const;
    void splitLines();
    Line parseLine(qsizetype start, qsizetype contentEnd, qsizetype end) const;
    QString lineBreak() const;
    // Index of the first entry `key` under a section `section`, or -1.
    qsizetype findEntry(const QString& section, const QString& key) const;

    QByteArray bytes_;
    Encoding encoding_ = Encoding::Gbk;
    qsizetype textStart_ = 0;  // after the byte-order mark
    std::vector<Line> lines_;
};

}  // namespace tallomar::profile
