#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

// Text in the ANSI code page of the Simplified Chinese systems the tool packages
// are written on (code page 936, GBK).
namespace tallomar::codepage {

// Decodes GBK bytes; empty optional when a byte sequence is not valid GBK.
std::optional<QString> decodeGbk(QByteArrayView bytes);

// Decodes GBK bytes, each sequence that is not valid GBK read as U+FFFD.
QString decodeGbkReplacing(QByteArrayView bytes);

// Encodes to GBK; empty optional when a character has no GBK code.
std::optional<QByteArray> encodeGbk(QStringView text);

// The number of bytes the character takes in GBK: 2 for a double-byte code,
// 1 otherwise (a character GBK cannot represent also counts 1).
int gbkByteWidth(QChar c);

}  // namespace tallomar::codepage
