#include "windows/viewer/symptom_picture.h"

#include "platform/text/blanks.h"
#include "platform/text/windows_path.h"

#include <QImageReader>

namespace tallomar {

QString symptomPicturePath(const QString& cPath, const QString& toolFolder) {
    const QString name = TrimBlanks(cPath);
    if (name.isEmpty()) return {};
    if (name.contains(QLatin1Char('\\'))) return resolveWindowsPath(name);
    return resolvePackagePath(toolFolder, name);
}

QImage loadSymptomPicture(const QString& path) {
    if (!FileExists(path)) return {};
    // The reader looks at the content when the name's suffix does not fit it,
    // so a PNG saved as .jpg still shows; a file of another kind gives no picture.
    QImageReader reader(path);
    reader.setAutoTransform(true);
    return reader.read();
}

}  // namespace tallomar
