#include "windows/workbench/window_drag.h"

#include <QWidget>

namespace tallomar {

bool startsWindowDrag(const QWidget& window, Qt::MouseButton button, Qt::MouseButtons buttons, const QPoint& position) {
    return button == Qt::LeftButton && buttons == Qt::LeftButton && window.childAt(position) == nullptr;
}

}  // namespace tallomar
