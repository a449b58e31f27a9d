#pragma once

#include <QString>

namespace tallomar {

// Makes the workbench's pictures (compiled into this static library)
// available under ":/workbench/art/"; safe to call any number of times.
void loadWorkbenchArt();

// The resource path of a picture, e.g. artPath("exit") for the close image.
QString artPath(const QString& name);

}  // namespace tallomar
