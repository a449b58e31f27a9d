#pragma once

#include <QStringList>

namespace tallomar::cli {

// tallomar-cli sweep: runs a package's check run on every account-set
// database (or the chosen account sets and years) of an edition on a
// server, several at a time, and prints one line per database as a table or
// JSON, optionally writing an HTML report. Ctrl+C stops it; the databases not
// checked are reported as cancelled. Exit status 0 when nothing was found
// anywhere, 1 with findings, 2 when a database failed or was not checked,
// or on failure (message on stderr).
int sweepCommand(const QStringList& arguments);

}  // namespace tallomar::cli
