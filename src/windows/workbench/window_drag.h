#pragma once

#include <QPoint>
#include <Qt>

class QWidget;

namespace tallomar {

// True when a mouse press moves the borderless window: the left button
// alone, on the window's own surface rather than on one of its widgets.
bool startsWindowDrag(const QWidget& window, Qt::MouseButton button, Qt::MouseButtons buttons, const QPoint& position);

}  // namespace tallomar
