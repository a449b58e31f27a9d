#include "platform/text/windows_path.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

using namespace tallomar;

namespace {
void touch(const QString& path) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
}

// Whether `resolved` names the file at `expected`: on Linux by the letter
// case found in the folder, on Windows by the name as written, which the
// file system matches without regard to case.
bool namesFile(const QString& resolved, const QString& expected) {
    return QFileInfo::exists(resolved) && QFileInfo(resolved) == QFileInfo(expected);
}
}  // namespace

TEST(WindowsPath, PackageNamesResolveAcrossSeparatorsAndLetterCase) {
    QTemporaryDir dir;
    ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("Scripts/Check")));
    touch(dir.filePath(QStringLiteral("Scripts/Check/Step1.SQL")));

    const QString expected = dir.filePath(QStringLiteral("Scripts/Check/Step1.SQL"));
    EXPECT_TRUE(namesFile(resolvePackagePath(dir.path(), QStringLiteral("scripts\\check\\step1.sql")), expected));
    EXPECT_TRUE(namesFile(resolvePackagePath(dir.path(), QStringLiteral("Scripts/Check/Step1.SQL")), expected));
    EXPECT_TRUE(FileExists(resolvePackagePath(dir.path(), QStringLiteral("SCRIPTS\\CHECK"))));
}

TEST(WindowsPath, MissingNamesStayMissing) {
    QTemporaryDir dir;
    const QString resolved = resolvePackagePath(dir.path(), QStringLiteral("nothing\\here.sql"));
    EXPECT_EQ(resolved, dir.path() + QStringLiteral("/nothing/here.sql"));
    EXPECT_FALSE(FileExists(resolved));
    EXPECT_FALSE(FileExists(resolveWindowsPath(QStringLiteral("D:\\pics\\fig2.jpg"))));
    EXPECT_FALSE(FileExists(QString()));
}

TEST(WindowsPath, AbsolutePathsWithBackslashesResolveCaseInsensitively) {
    QTemporaryDir dir;
    ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("Pics")));
    touch(dir.filePath(QStringLiteral("Pics/Fig2.JPG")));
    QString windowsForm = dir.path() + QStringLiteral("\\pics\\fig2.jpg");
    EXPECT_TRUE(namesFile(resolveWindowsPath(windowsForm), dir.filePath(QStringLiteral("Pics/Fig2.JPG"))));
}
