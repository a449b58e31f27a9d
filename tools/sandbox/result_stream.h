#pragma once

#include "sandbox/tds_channel.h"
#include "sandbox/tds_tokens.h"

#include <cstdint>
#include <functional>
#include <stdexcept>

struct sqlite3_stmt;

// Streams the rows of a SQLite query as a TDS result set: COLMETADATA, then
// one ROW token per row written straight into the outgoing packets.
namespace tallomar::sandbox {

// A value cannot be sent in its column's type (SQL Server's conversion
// errors), or SQLite failed while stepping.
class ValueError : public std::runtime_error {
public:
    explicit ValueError(ServerMessage message) : std::runtime_error(message.text), message(std::move(message)) {}
    ServerMessage message;
};

// The client sent ATTENTION while rows were being sent.
class Cancelled : public std::runtime_error {
public:
    Cancelled() : std::runtime_error("cancelled by the client") {}
};

// Column types follow the declared type where SQLite knows one (INT, BIGINT,
// BIT, FLOAT/REAL/DECIMAL/NUMERIC/MONEY, anything textual), otherwise the
// first non-NULL value among the first rows. `step` runs sqlite3_step and
// maps its failures; `cancelled` is asked every few hundred rows. Returns
// the number of rows sent.
std::uint64_t streamResult(sqlite3_stmt* statement, TdsChannel& out, const std::function<int()>& step,
                           const std::function<bool()>& cancelled);

}  // namespace tallomar::sandbox
