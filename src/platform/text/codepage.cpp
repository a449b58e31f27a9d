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

std::optional<QByteArray> encodeGbk(QStringView text) {
    QStringEncoder encoder(kGbk, QStringConverter::Flag::Stateless);
    QByteArray bytes = encoder.encode(text);
    if (!encoder.isValid() || encoder.hasError()) return std::nullopt;
    return bytes;
}

int gbkByteWidth(QChar c) {
    if (c.unicode() < 0x80) return 1;
    const auto bytes = encodeGbk(QStringView(&c, 1));
    return bytes && bytes->size() == 2 ? 2 : 1;
}

}  // namespace tallomar::codepage
