// Code page 936 on Windows, whose own conversion tables are the code page's
// definition (Qt for Windows converts only the Unicode encodings itself).
#include "platform/text/codepage.h"

#include <windows.h>

namespace tallomar::codepage {

namespace {

constexpr UINT kGbk = 936;

// One character of `bytes` from `at`: its text, or nothing when the bytes
// there are no GBK character; `length` is how many bytes it took (one for
// bytes that are none).
std::optional<QString> characterAt(QByteArrayView bytes, qsizetype at, qsizetype& length) {
    const bool lead = IsDBCSLeadByteEx(kGbk, BYTE(bytes[at]));
    length = lead && at + 1 < bytes.size() ? 2 : 1;
    if (lead && length == 1) return std::nullopt;
    wchar_t units[2];
    const int count = MultiByteToWideChar(kGbk, MB_ERR_INVALID_CHARS, bytes.data() + at, int(length), units, 2);
    if (count <= 0) {
        length = 1;
        return std::nullopt;
    }
    return QString::fromWCharArray(units, count);
}

}  // namespace

std::optional<QString> decodeGbk(QByteArrayView bytes) {
    if (bytes.isEmpty()) return QString();
    const int size = MultiByteToWideChar(kGbk, MB_ERR_INVALID_CHARS, bytes.data(), int(bytes.size()), nullptr, 0);
    if (size <= 0) return std::nullopt;
    QString text(size, Qt::Uninitialized);
    MultiByteToWideChar(kGbk, MB_ERR_INVALID_CHARS, bytes.data(), int(bytes.size()),
                        reinterpret_cast<wchar_t*>(text.data()), size);
    return text;
}

QString decodeGbkReplacing(QByteArrayView bytes) {
    if (auto text = decodeGbk(bytes)) return *text;
    QString text;
    for (qsizetype at = 0, length = 0; at < bytes.size(); at += length)
        text += characterAt(bytes, at, length).value_or(QString(QChar::ReplacementCharacter));
    return text;
}

std::optional<QByteArray> encodeGbk(QStringView text) {
    if (text.isEmpty()) return QByteArray();
    const auto* units = reinterpret_cast<const wchar_t*>(text.utf16());
    BOOL usedDefault = FALSE;
    const int size =
        WideCharToMultiByte(kGbk, WC_NO_BEST_FIT_CHARS, units, int(text.size()), nullptr, 0, nullptr, &usedDefault);
    if (size <= 0 || usedDefault) return std::nullopt;
    QByteArray bytes(size, Qt::Uninitialized);
    WideCharToMultiByte(kGbk, WC_NO_BEST_FIT_CHARS, units, int(text.size()), bytes.data(), size, nullptr, nullptr);
    return bytes;
}

}  // namespace tallomar::codepage
