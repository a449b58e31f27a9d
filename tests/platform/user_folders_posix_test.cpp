#include "platform/text/user_folders.h"

#include <gtest/gtest.h>
#include <unistd.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

using namespace tallomar;

namespace {

// Runs the body with XDG_RUNTIME_DIR unset and the temp folder at `temp`.
class WithoutRuntimeDirectory {
public:
    explicit WithoutRuntimeDirectory(const QString& temp)
        : runtime_(qgetenv("XDG_RUNTIME_DIR")), tmpdir_(qgetenv("TMPDIR")) {
        qunsetenv("XDG_RUNTIME_DIR");
        qputenv("TMPDIR", QFile::encodeName(temp));
    }
    ~WithoutRuntimeDirectory() {
        restore("XDG_RUNTIME_DIR", runtime_);
        restore("TMPDIR", tmpdir_);
    }

private:
    static void restore(const char* name, const QByteArray& value) {
        if (value.isNull())
            qunsetenv(name);
        else
            qputenv(name, value);
    }
    QByteArray runtime_;
    QByteArray tmpdir_;
};

}  // namespace

// Without XDG_RUNTIME_DIR the folder is made under the temp folder, closed to
// others; a folder of that name that others may enter, or a link, is refused:
// a lock there could be taken or blocked by someone else.
TEST(UserFolders, WithoutXdgRuntimeDirTheTempFolderGivesAPrivateFolderOrNone) {
    QTemporaryDir temp;
    ASSERT_TRUE(temp.isValid());
    const WithoutRuntimeDirectory environment(temp.path());
    const QString expected = QDir(temp.path()).filePath(QStringLiteral("tallomar-%1").arg(::getuid()));

    EXPECT_EQ(userRuntimeFolder(), expected);
    const auto others = QFileDevice::ReadGroup | QFileDevice::WriteGroup | QFileDevice::ExeGroup |
                        QFileDevice::ReadOther | QFileDevice::WriteOther | QFileDevice::ExeOther;
    EXPECT_FALSE(QFileInfo(expected).permissions() & others);

    ASSERT_TRUE(QFile::setPermissions(
        expected, QFileInfo(expected).permissions() | QFileDevice::ReadOther | QFileDevice::ExeOther));
    EXPECT_EQ(userRuntimeFolder(), QString());

    ASSERT_TRUE(QDir(expected).removeRecursively());
    ASSERT_TRUE(QDir(temp.path()).mkdir(QStringLiteral("elsewhere")));
    ASSERT_TRUE(QFile::link(temp.filePath(QStringLiteral("elsewhere")), expected));
    EXPECT_EQ(userRuntimeFolder(), QString());
}
