#pragma once

#include <QStringList>

namespace tallomar::cli {

// tallomar-cli check: runs a tool package's check scripts against an
// account-set database and prints the findings as CSV or JSON on stdout (or
// writes them to --out FILE), the status line and the recorded run's id on
// stderr. Exit status 0 without findings, 1 with findings, 2 on failure
// (message on stderr).
int checkCommand(const QStringList& arguments);

// tallomar-cli correct: runs the package's correction scripts, the recorded
// run's id on stderr. Exit status 0 when every script ran, 2 on failure
// (message on stderr).
int correctCommand(const QStringList& arguments);

}  // namespace tallomar::cli
