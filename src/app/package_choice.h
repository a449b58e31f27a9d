#pragma once

#include "app/start_request.h"

#include <QString>

namespace tallomar {

// The tool package folder this start opens: the folder named on the command
// line; with --demo the user's copy of the installed demo package; else the
// folder `file` beside the program; else the folder the operator picks in
// the folder dialog, which offers the package folders opened before. Empty
// text when there is nothing to open: the operator cancelled, or the demo
// package could not be had (the operator is told why).
QString ChoosePackageFolder(const StartRequest& request, const QString& applicationFolder);

}  // namespace tallomar
