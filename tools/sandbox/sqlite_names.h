#pragma once

#include <string>

namespace tallomar::sandbox {

// A name for SQLite text: in double quotes, inner ones doubled.
inline std::string quotedName(const std::string& name) {
    std::string quoted = "\"";
    for (char c : name) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    return quoted + "\"";
}

}  // namespace tallomar::sandbox
