#pragma once

#include <string>
#include <string_view>

// TDS carries text as UTF-16 little-endian; SQLite and the translator work in
// UTF-8. Invalid sequences become U+FFFD rather than being dropped.
namespace tallomar::sandbox {

std::u16string utf8ToUtf16(std::string_view text);
std::string utf16ToUtf8(std::u16string_view text);
// Reads `count` UTF-16LE code units from raw bytes.
std::u16string utf16FromBytes(const unsigned char* bytes, std::size_t count);

}  // namespace tallomar::sandbox
