#pragma once

#include "tooldb/tool_database.h"
#include "windows/viewer/bewrite_logic.h"

#include <QPointer>
#include <memory>

namespace tallomar {

class FrmBewrite;

// Runs the viewer's statements on the tool database `tool`, which the
// query keeps alive.
BewriteLogic::Query toolDatabaseQuery(std::shared_ptr<const tooldb::ToolDatabase> tool);

// Shows the problem-description viewer of the tool database `tool`,
// modeless and without an owner, its pictures looked up in `toolFolder`.
// `viewer` is where the caller keeps its one viewer: a request while that
// viewer is open shows the same window again without reloading it. Closing
// the window deletes it.
FrmBewrite* ShowBewriteViewer(QPointer<FrmBewrite>& viewer, std::shared_ptr<const tooldb::ToolDatabase> tool,
                              const QString& toolFolder);

}  // namespace tallomar
