#include "platform/text/windows_path.h"

#include <QDir>
#include <QFileInfo>

namespace tallomar {

namespace {

// The entry of `folder` named `part` without regard to case; `part` itself
// when the folder holds it as written or holds no such entry.
QString matchEntry(const QString& folder, const QString& part) {
    if (part == QLatin1String(".") || part == QLatin1String("..")) return part;
    const QDir dir(folder.isEmpty() ? QStringLiteral("/") : folder);
    if (QFileInfo::exists(dir.filePath(part))) return part;
    const QStringList entries = dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QString& entry : entries)
        if (entry.compare(part, Qt::CaseInsensitive) == 0) return entry;
    return part;
}

QString resolveParts(QString base, const QString& relative) {
    const QStringList parts =
        QString(relative).replace(QLatin1Char('\\'), QLatin1Char('/')).split(QLatin1Char('/'), Qt::SkipEmptyParts);
    for (const QString& part : parts) {
        const QString entry = matchEntry(base, part);
        base = base.endsWith(QLatin1Char('/')) ? base + entry : base + QLatin1Char('/') + entry;
    }
    return base;
}

}  // namespace

QString resolvePackagePath(const QString& folder, const QString& relativeName) {
    return resolveParts(folder, relativeName);
}

QString resolveWindowsPath(const QString& path) {
    QString unixPath = QString(path).replace(QLatin1Char('\\'), QLatin1Char('/'));
    if (!unixPath.startsWith(QLatin1Char('/'))) return unixPath;
    return resolveParts(QStringLiteral("/"), unixPath);
}

bool FileExists(const QString& path) {
    return !path.isEmpty() && QFileInfo::exists(path);
}

}  // namespace tallomar
