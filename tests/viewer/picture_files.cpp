#include "picture_files.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPainter>

namespace tallomar::test {

void writePicture(const QString& path, const QColor& colour, const char* format) {
    QDir().mkpath(QFileInfo(path).path());
    QImage picture(40, 30, QImage::Format_RGB32);
    picture.fill(colour);
    QPainter painter(&picture);
    painter.drawRect(0, 0, 39, 29);
    painter.end();
    ASSERT_TRUE(picture.save(path, format)) << path.toStdString();
}

void writeBytes(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    file.write(bytes);
}

QColor middleColour(const QImage& picture) {
    if (picture.isNull()) return {};
    return picture.pixelColor(picture.width() / 2, picture.height() / 2);
}

}  // namespace tallomar::test
