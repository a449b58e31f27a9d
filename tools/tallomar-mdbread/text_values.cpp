#include "text_values.h"

#include "platform/error.h"

#include <utility>

namespace tallomar::mdb {

std::optional<QString> jet4Text(const char* bytes, size_t size) {
    const auto* at = reinterpret_cast<const unsigned char*>(bytes);
    const auto* const end = at + size;
    const bool marked = size >= 2 && at[0] == 0xff && at[1] == 0xfe;
    bool compressed = marked;
    if (marked) at += 2;
    QString text;
    text.reserve(static_cast<qsizetype>(size));
    while (at < end) {
        if (marked && *at == 0) {
            compressed = !compressed;
            ++at;
        } else if (compressed) {
            text.append(QChar(char16_t(*at++)));
        } else if (end - at >= 2) {
            text.append(QChar(char16_t(at[0] | (at[1] << 8))));
            at += 2;
        } else {
            return std::nullopt;
        }
    }
    return text;
}

TextValues::TextValues(MdbHandle* mdb, QString fileName) : mdb_(mdb), fileName_(std::move(fileName)) {}

QByteArray TextValues::utf8(const char* bytes, size_t size, const QString& where) const {
    if (IS_JET3(mdb_)) {
        // One stored byte gives at most three bytes of UTF-8.
        QByteArray utf8(3 * static_cast<qsizetype>(size) + 1, Qt::Uninitialized);
        const size_t length = mdb_unicode2ascii(mdb_, bytes, size, utf8.data(), static_cast<size_t>(utf8.size()));
        utf8.truncate(static_cast<qsizetype>(length));
        return utf8;
    }
    const std::optional<QString> text = jet4Text(bytes, size);
    if (!text)
        throw Error(
            QStringLiteral("%1: the file is damaged: the text of %2 ends in half a character").arg(fileName_, where));
    return text->toUtf8();
}

}  // namespace tallomar::mdb
