#pragma once

#include "app/start_request.h"

#include <QString>

namespace tallomar {

// The tool package folder this start names without asking the operator, as a
// full path: the folder named on the command line (the folder of the ZOL.mdb
// named instead); with --demo where the user's copy of the demo package
// lives; else the folder `file` beside the program. Empty text when this
// start names none and would ask.
QString NamedPackageFolder(const StartRequest& request, const QString& applicationFolder);

// The tool package folder this start opens: the one it names
// (NamedPackageFolder), the demo package copied for the user on first use;
// else the folder the operator picks (PickPackageFolder). Empty text when
// there is nothing to open: the operator cancelled, or the demo package
// could not be had (the operator is told why).
QString ChoosePackageFolder(const StartRequest& request, const QString& applicationFolder);

// Asks the operator for the tool package folder in the folder chooser, which
// opens on `startFolder` (on the newest of the package folders opened before
// when it is empty) and offers those folders. Empty text when the operator
// cancels.
QString PickPackageFolder(const QString& startFolder);

}  // namespace tallomar
