#include "app/package_location.h"

#include "platform/error.h"
#include "platform/text/user_folders.h"
#include "platform/text/user_settings.h"
#include "platform/text/windows_path.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QSettings>
#include <QTemporaryDir>

namespace tallomar {

namespace {

constexpr qsizetype kRecentFolders = 8;
const QString kRecentKey = QStringLiteral("packages/recent");

// Copies the files and subfolders of `from` into the existing folder `to`.
void copyTree(const QString& from, const QString& to) {
    const QDir source(from);
    QDirIterator entries(from, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDirIterator::Subdirectories);
    while (entries.hasNext()) {
        const QFileInfo entry(entries.next());
        const QString target = QDir(to).filePath(source.relativeFilePath(entry.filePath()));
        const bool copied = entry.isDir() ? QDir().mkpath(target) : QFile::copy(entry.filePath(), target);
        if (!copied) throw Error(QStringLiteral("cannot copy %1 to %2").arg(entry.filePath(), target));
    }
}

}  // namespace

QString packageFolderNamedBy(const QString& argument) {
    const QFileInfo named(argument);
    if (named.isFile() && named.fileName().compare(QStringLiteral("ZOL.mdb"), Qt::CaseInsensitive) == 0)
        return named.absolutePath();
    return named.absoluteFilePath();
}

QString bundledPackageFolder(const QString& applicationFolder) {
    const QString folder = resolvePackagePath(applicationFolder, QStringLiteral("file"));
    return QFileInfo(folder).isDir() ? folder : QString();
}

QString installedDemoPackage(const QString& applicationFolder) {
    const QString folder =
        QDir::cleanPath(QDir(applicationFolder).filePath(QStringLiteral("../share/tallomar/examples/demo")));
    return QFileInfo(folder).isDir() ? folder : QString();
}

QString userDemoFolder() {
    return QDir(userDataFolder()).filePath(QStringLiteral("demo"));
}

QString userDemoPackage(const QString& installedDemo) {
    const QString copy = userDemoFolder();
    if (QFileInfo(copy).isDir()) return copy;
    const QDir dataFolder = QFileInfo(copy).dir();
    if (!dataFolder.mkpath(QStringLiteral(".")))
        throw Error(QStringLiteral("cannot make the folder %1").arg(dataFolder.path()));
    // The copy is made beside its place and moved there whole.
    QTemporaryDir staging(dataFolder.filePath(QStringLiteral(".demo-XXXXXX")));
    if (!staging.isValid())
        throw Error(QStringLiteral("cannot make a folder in %1: %2").arg(dataFolder.path(), staging.errorString()));
    copyTree(installedDemo, staging.path());
    if (!QDir().rename(staging.path(), copy))
        throw Error(QStringLiteral("cannot move the copy of %1 to %2").arg(installedDemo, copy));
    staging.setAutoRemove(false);
    return copy;
}

QStringList recentPackageFolders() {
    const QSettings settings(userSettingsPath(), QSettings::IniFormat);
    QStringList folders = settings.value(kRecentKey).toStringList();
    folders.removeIf([](const QString& folder) { return !QFileInfo(folder).isDir(); });
    return folders;
}

void rememberPackageFolder(const QString& folder) {
    const QString absolute = QFileInfo(folder).absoluteFilePath();
    QStringList folders = recentPackageFolders();
    folders.removeAll(absolute);
    folders.prepend(absolute);
    QSettings settings(userSettingsPath(), QSettings::IniFormat);
    settings.setValue(kRecentKey, folders.mid(0, kRecentFolders));
}

}  // namespace tallomar
