#include "windows/workbench/workbench_art.h"

#include <QtGlobal>

// Resources of a static library register only when asked for by name, and
// the call must stand outside any namespace.
static void registerWorkbenchResources() {
    Q_INIT_RESOURCE(workbench);
}

namespace tallomar {

void loadWorkbenchArt() {
    static const bool loaded = (registerWorkbenchResources(), true);
    Q_UNUSED(loaded);
}

QString artPath(const QString& name) {
    return QStringLiteral(":/workbench/art/") + name + QStringLiteral(".svg");
}

}  // namespace tallomar
