#include "sandbox/tds_tokens.h"

#include "sandbox/tds_protocol.h"
#include "sandbox/utf16.h"

#include <algorithm>

namespace tallomar::sandbox {
namespace {

void putUtf16(TdsChannel& out, std::u16string_view text) {
    for (char16_t unit : text) out.putU16(unit);
}

std::u16string clipped(std::u16string_view text, std::size_t limit) {
    return std::u16string(text.substr(0, std::min(text.size(), limit)));
}

}  // namespace

void writeByteCountedText(TdsChannel& out, std::u16string_view text) {
    const auto fitting = clipped(text, 255);
    out.putByte(static_cast<std::uint8_t>(fitting.size()));
    putUtf16(out, fitting);
}

void writeShortCountedText(TdsChannel& out, std::u16string_view text) {
    const auto fitting = clipped(text, 65535);
    out.putU16(static_cast<std::uint16_t>(fitting.size()));
    putUtf16(out, fitting);
}

void writeMessage(TdsChannel& out, const ServerMessage& message) {
    const auto text = clipped(utf8ToUtf16(message.text), 65535);
    const auto server = utf8ToUtf16(ServerName);
    const std::size_t length = 4 + 1 + 1 + 2 + text.size() * 2 + 1 + server.size() * 2 + 1 + 4;
    out.putByte(message.severity > 10 ? tds::Error : tds::Info);
    out.putU16(static_cast<std::uint16_t>(length));
    out.putU32(static_cast<std::uint32_t>(message.number));
    out.putByte(static_cast<std::uint8_t>(message.state));
    out.putByte(static_cast<std::uint8_t>(message.severity));
    writeShortCountedText(out, text);
    writeByteCountedText(out, server);
    writeByteCountedText(out, u"");  // procedure name
    out.putU32(static_cast<std::uint32_t>(message.line));
}

void writeDone(TdsChannel& out, std::uint16_t status, std::uint16_t command, std::uint64_t rows) {
    out.putByte(tds::Done);
    out.putU16(status);
    out.putU16(command);
    out.putU64(rows);
}

namespace {

void writeTextEnvChange(TdsChannel& out, std::uint8_t type, std::u16string_view newValue,
                        std::u16string_view oldValue) {
    const auto fittingNew = clipped(newValue, 255);
    const auto fittingOld = clipped(oldValue, 255);
    out.putByte(tds::EnvChange);
    out.putU16(static_cast<std::uint16_t>(1 + 1 + fittingNew.size() * 2 + 1 + fittingOld.size() * 2));
    out.putByte(type);
    writeByteCountedText(out, fittingNew);
    writeByteCountedText(out, fittingOld);
}

}  // namespace

void writeDatabaseChange(TdsChannel& out, std::string_view newName, std::string_view oldName) {
    writeTextEnvChange(out, tds::EnvDatabase, utf8ToUtf16(newName), utf8ToUtf16(oldName));
}

void writePacketSizeChange(TdsChannel& out, int newSize, int oldSize) {
    writeTextEnvChange(out, tds::EnvPacketSize, utf8ToUtf16(std::to_string(newSize)),
                       utf8ToUtf16(std::to_string(oldSize)));
}

void writeCollationChange(TdsChannel& out) {
    out.putByte(tds::EnvChange);
    out.putU16(1 + 1 + sizeof tds::ServerCollation + 1);
    out.putByte(tds::EnvCollation);
    out.putByte(sizeof tds::ServerCollation);
    out.put(tds::ServerCollation, sizeof tds::ServerCollation);
    out.putByte(0);
}

void writeLoginAck(TdsChannel& out) {
    const std::u16string program = u"Microsoft SQL Server";
    out.putByte(tds::LoginAck);
    out.putU16(static_cast<std::uint16_t>(1 + 4 + 1 + program.size() * 2 + 4));
    out.putByte(1);  // T-SQL interface
    // The version travels big-endian in this token.
    const unsigned char version[4] = {0x74, 0x00, 0x00, 0x04};
    out.put(version, sizeof version);
    writeByteCountedText(out, program);
    const unsigned char programVersion[4] = {12, 0, 0x07, 0xD0};  // 12.0.2000
    out.put(programVersion, sizeof programVersion);
}

}  // namespace tallomar::sandbox
