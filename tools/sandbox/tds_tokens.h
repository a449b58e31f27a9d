#pragma once

#include "sandbox/tds_channel.h"

#include <cstdint>
#include <string>
#include <string_view>

// Writers of the answer tokens that are not result rows.
namespace tallomar::sandbox {

// An error or informational message as SQL Server sends it.
struct ServerMessage {
    int number = 0;
    int severity = 16;  // "class"; 10 and below travel as INFO
    int state = 1;
    std::string text;  // UTF-8
    int line = 1;
};

void writeMessage(TdsChannel& out, const ServerMessage& message);
void writeDone(TdsChannel& out, std::uint16_t status, std::uint16_t command, std::uint64_t rows);
void writeDatabaseChange(TdsChannel& out, std::string_view newName, std::string_view oldName);
void writePacketSizeChange(TdsChannel& out, int newSize, int oldSize);
void writeCollationChange(TdsChannel& out);
void writeLoginAck(TdsChannel& out);

// Text framed by a one-byte or two-byte count of UTF-16 code units.
void writeByteCountedText(TdsChannel& out, std::u16string_view text);
void writeShortCountedText(TdsChannel& out, std::u16string_view text);

// The name the server gives itself in messages.
inline constexpr std::string_view ServerName = "TALLOMAR-SANDBOX";

}  // namespace tallomar::sandbox
