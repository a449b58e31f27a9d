#pragma once

class QWidget;

namespace tallomar {

// Places `window` centred on `anchor` (the window it was opened from),
// kept inside the screen `anchor` is on. Call it before the first show().
void centreOn(QWidget& window, const QWidget& anchor);

}  // namespace tallomar
