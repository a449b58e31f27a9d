#pragma once

#include "windows/viewer/bewrite_logic.h"

namespace tallomar {

class FrmBewrite;

// Runs the viewer's statements on the tool database cnTool.
BewriteLogic::Query toolDatabaseQuery();

// Shows the problem-description viewer, modeless and without an owner, its
// pictures looked up in gToolFolder. There is one viewer: a request while it
// is open shows that same window again without reloading it. Closing the
// window deletes it.
FrmBewrite* ShowBewriteViewer();

}  // namespace tallomar
