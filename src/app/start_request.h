#pragma once

#include <QString>
#include <variant>

namespace tallomar {

// What the command line asks of this start of tallomar.
struct StartRequest {
    QString packageFolder;  // PACKAGE_FOLDER, or empty text when none is named
    bool demo = false;      // --demo: the user's copy of the installed demo package
};

// Reads tallomar's command line before the application object exists, so
// that --help and --version work without a display. Either the request, or
// the exit status when the program ends here (after help, the version, or a
// bad option with its message on stderr).
std::variant<StartRequest, int> ReadStartRequest(int argc, char** argv);

}  // namespace tallomar
