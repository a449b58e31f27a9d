#pragma once

#include <QColor>
#include <QString>

class QWidget;

namespace tallomar {

// A colour in the notation of the grid colours of the window layouts:
// "&HBBGGRR" (blue, green, red bytes from high to low; "&HFFFFC0" is red 192,
// green 255, blue 255), or a system colour "&H800000nn": 5 the background of
// content areas (text boxes, grid cells), 15 the face of buttons and fixed
// grid cells. A system colour takes its value from `widget`'s palette.
// Throws tallomar::Error for any other text.
QColor gridColor(const QString& text, const QWidget& widget);

}  // namespace tallomar
