#include "sandbox/login7.h"

#include "sandbox/tds_protocol.h"
#include "sandbox/utf16.h"

#include <stdexcept>

namespace tallomar::sandbox {
namespace {

std::uint32_t readU32(const std::vector<unsigned char>& data, std::size_t at) {
    return data[at] | (data[at + 1] << 8) | (data[at + 2] << 16) | (static_cast<std::uint32_t>(data[at + 3]) << 24);
}

std::uint16_t readU16(const std::vector<unsigned char>& data, std::size_t at) {
    return static_cast<std::uint16_t>(data[at] | (data[at + 1] << 8));
}

// A text field given by the offset/length pair at `pairAt` (length in
// UTF-16 code units, offset from the start of the message).
std::u16string textField(const std::vector<unsigned char>& data, std::size_t pairAt) {
    const std::size_t offset = readU16(data, pairAt);
    const std::size_t units = readU16(data, pairAt + 2);
    if (offset + units * 2 > data.size()) throw std::runtime_error("LOGIN7 field outside the message");
    return utf16FromBytes(data.data() + offset, units);
}

// Passwords travel with each byte's nibbles swapped and XORed with 0xA5.
std::u16string passwordField(const std::vector<unsigned char>& data, std::size_t pairAt) {
    const std::size_t offset = readU16(data, pairAt);
    const std::size_t units = readU16(data, pairAt + 2);
    if (offset + units * 2 > data.size()) throw std::runtime_error("LOGIN7 field outside the message");
    std::vector<unsigned char> plain(data.begin() + static_cast<std::ptrdiff_t>(offset),
                                     data.begin() + static_cast<std::ptrdiff_t>(offset + units * 2));
    for (auto& byte : plain) {
        byte ^= 0xA5;
        byte = static_cast<unsigned char>((byte >> 4) | (byte << 4));
    }
    return utf16FromBytes(plain.data(), units);
}

}  // namespace

LoginRequest parseLogin7(const std::vector<unsigned char>& payload) {
    constexpr std::size_t fixedPart = 94;
    if (payload.size() < fixedPart) throw std::runtime_error("LOGIN7 message too short");
    LoginRequest login;
    login.tdsVersion = readU32(payload, 4);
    login.packetSize = readU32(payload, 8);
    login.hostName = utf16ToUtf8(textField(payload, 36));
    login.userName = utf16ToUtf8(textField(payload, 40));
    login.password = utf16ToUtf8(passwordField(payload, 44));
    login.appName = utf16ToUtf8(textField(payload, 48));
    login.database = utf16ToUtf8(textField(payload, 68));
    return login;
}

void writePreLoginAnswer(TdsChannel& out) {
    // Option table (token, offset, length; big-endian), then the data.
    struct Option {
        std::uint8_t token;
        std::vector<unsigned char> data;
    };
    const Option options[] = {
        {tds::PreLoginVersion, {12, 0, 0x07, 0xD0, 0, 0}},
        {tds::PreLoginEncryption, {tds::EncryptionNotSupported}},
        {tds::PreLoginInstance, {0}},
        {tds::PreLoginThreadId, {}},
        {tds::PreLoginMars, {0}},
    };
    std::size_t offset = std::size(options) * 5 + 1;
    for (const auto& option : options) {
        out.putByte(option.token);
        out.putByte(static_cast<std::uint8_t>(offset >> 8));
        out.putByte(static_cast<std::uint8_t>(offset & 0xFF));
        out.putByte(static_cast<std::uint8_t>(option.data.size() >> 8));
        out.putByte(static_cast<std::uint8_t>(option.data.size() & 0xFF));
        offset += option.data.size();
    }
    out.putByte(tds::PreLoginTerminator);
    for (const auto& option : options) out.put(option.data.data(), option.data.size());
    out.endMessage();
}

}  // namespace tallomar::sandbox
