#pragma once

#include <QColor>
#include <QImage>
#include <QString>

namespace tallomar::test {

// Writes a small picture filled with `colour` to `path` in the format that
// `format` names ("PNG", "BMP", "JPG"), whatever the name's suffix says.
void writePicture(const QString& path, const QColor& colour, const char* format = "PNG");

// Writes `bytes` to `path` as they stand (a text that is no picture, a
// picture in a format Qt cannot write).
void writeBytes(const QString& path, const QByteArray& bytes);

// The colour of the middle of the picture, or an invalid colour for none.
QColor middleColour(const QImage& picture);

}  // namespace tallomar::test
