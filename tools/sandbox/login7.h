#pragma once

#include "sandbox/tds_channel.h"

#include <cstdint>
#include <string>
#include <vector>

// The two messages that open a session: PRELOGIN and LOGIN7.
namespace tallomar::sandbox {

// What a LOGIN7 message asks for; texts in UTF-8.
struct LoginRequest {
    std::uint32_t tdsVersion = 0;
    std::uint32_t packetSize = 0;
    std::string hostName;
    std::string userName;
    std::string password;
    std::string appName;
    std::string database;
};

// Throws std::runtime_error when the message is too short or its fields
// point outside it.
LoginRequest parseLogin7(const std::vector<unsigned char>& payload);

// Answers a PRELOGIN: version, encryption not supported, no instance,
// no MARS.
void writePreLoginAnswer(TdsChannel& out);

}  // namespace tallomar::sandbox
