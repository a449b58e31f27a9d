// Code page 936 on Linux: Qt's converters, which Debian's Qt backs with ICU.
#include "platform/text/codepage.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace tallomar::codepage {

// Qt's registry of encodings does not name GBK; the ICU-backed constructor
// taking a name does.
static constexpr const char* kGbk = "GBK";

std::optional<QString> decodeGbk(QByteArrayView bytes) {
    QStringDecoder decoder(kGbk, QStringConverter::Flag::Stateless);
    QString text = decoder.decode(bytes);
    if (!decoder.isValid() || decoder.hasError()) return std::nullopt;
    return text;
}

QString decodeGbkReplacing(QByteArrayView bytes) {
    // The decoder holds a lead byte at the end back for a next call; the LF
    // after it makes it read as U+FFFD whether or not the text has an end.
    QString text = QStringDecoder(kGbk).decode(bytes.toByteArray() + '\n');
    text.chop(1);
    return text;
}

std::optional<QByteArray> encodeGbk(QStringView text) {
    QStringEncoder encoder(kGbk, QStringConverter::Flag::Stateless);
    QByteArray bytes = encoder.encode(text);
    if (!encoder.isValid() || encoder.hasError()) return std::nullopt;
    return bytes;
}

}  // namespace tallomar::codepage
