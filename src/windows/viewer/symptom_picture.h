#pragma once

#include <QImage>
#include <QString>

namespace tallomar {

// Where the picture of a problem description lives. `cPath` is taken without
// its surrounding blanks: empty gives no path; a name with a backslash is a
// full path written on Windows and is used as given; a bare name lies in the
// tool package folder `toolFolder`. Letter case and "\" separators are
// resolved as Windows would.
QString symptomPicturePath(const QString& cPath, const QString& toolFolder);

// The picture stored at `path`, in any format Qt's image readers know; a null
// image when nothing exists there or the file cannot be read as a picture.
QImage loadSymptomPicture(const QString& path);

}  // namespace tallomar
