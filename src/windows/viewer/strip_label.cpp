#include "windows/viewer/strip_label.h"

#include <QPainter>

namespace tallomar {

void StripLabel::paintEvent(QPaintEvent*) {
    QStringList lines = text().split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (text().startsWith(QLatin1Char(' '))) lines.prepend(QString());
    QPainter painter(this);
    painter.setPen(palette().color(foregroundRole()));
    painter.drawText(contentsRect(), int(alignment()) | Qt::TextWrapAnywhere, lines.join(QLatin1Char('\n')));
}

}  // namespace tallomar
