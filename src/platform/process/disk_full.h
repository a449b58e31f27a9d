#pragma once

namespace tallomar {

// Whether `systemError`, an error code of the system's file calls (errno on
// POSIX systems, GetLastError() on Windows, as SQLite reports them), means
// that the disk or the user's quota is full.
bool meansDiskFull(int systemError);

}  // namespace tallomar
