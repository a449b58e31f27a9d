#pragma once

#include <QStringList>

namespace tallomar::cli {

// tallomar-cli history: lists the recorded check and correction runs, shows
// a run's findings, compares two checks and prunes old runs (see its
// --help). Exit status 0, or 2 on failure or bad usage (message on stderr).
int historyCommand(const QStringList& arguments);

}  // namespace tallomar::cli
