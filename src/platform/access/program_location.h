#pragma once

#include <QString>

namespace tallomar::mdb {

// The path of the program `name` in the folder of the running program, with
// the ending the system gives programs (".exe" on Windows), whether or not
// it is there. Throws Error when the running program cannot be found.
QString programBesideThisOne(const QString& name);

}  // namespace tallomar::mdb
