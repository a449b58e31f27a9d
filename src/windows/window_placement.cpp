#include "windows/window_placement.h"

#include <QScreen>
#include <QWidget>
#include <algorithm>

namespace tallomar {

void centreOn(QWidget& window, const QWidget& anchor) {
    // The size show() would give a window never sized.
    if (!window.testAttribute(Qt::WA_Resized)) window.adjustSize();
    const QRect frame = anchor.frameGeometry();
    QRect placed(QPoint(), window.size());
    placed.moveCenter(frame.center());
    if (const QScreen* screen = anchor.screen()) {
        const QRect available = screen->availableGeometry();
        placed.moveLeft(std::clamp(placed.left(), available.left(),
                                   std::max(available.left(), available.right() - placed.width())));
        placed.moveTop(
            std::clamp(placed.top(), available.top(), std::max(available.top(), available.bottom() - placed.height())));
    }
    window.move(placed.topLeft());
}

}  // namespace tallomar
