#include "app/package_location.h"
#include "app/package_choice.h"
#include "platform/error.h"
#include "support/scripted_dialogs.h"

#include <gtest/gtest.h>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QTemporaryDir>
#include <QTreeView>

using namespace tallomar;

namespace {

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    file.write(bytes);
}

QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
}

// The user's folders ($XDG_CONFIG_HOME, $XDG_DATA_HOME) and an installation
// prefix with bin/ and the installed demo package, all under a temp folder.
class PackageLocation : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(root.isValid());
        for (const char* folder : {"config", "data", "usr/bin"})
            ASSERT_TRUE(QDir(root.path()).mkpath(QString::fromLatin1(folder)));
        savedConfig = qgetenv("XDG_CONFIG_HOME");
        savedData = qgetenv("XDG_DATA_HOME");
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(path("config")));
        qputenv("XDG_DATA_HOME", QFile::encodeName(path("data")));
    }
    void TearDown() override {
        qputenv("XDG_CONFIG_HOME", savedConfig);
        qputenv("XDG_DATA_HOME", savedData);
    }
    QString path(const char* relative) const { return root.filePath(QString::fromLatin1(relative)); }
    void installDemo() {
        ASSERT_TRUE(QDir(root.path()).mkpath(QStringLiteral("usr/share/tallomar/examples/demo/pictures")));
        writeFile(path("usr/share/tallomar/examples/demo/ZOL.mdb"), "tool database");
        writeFile(path("usr/share/tallomar/examples/demo/check.sql"), "select 1\r\nGO\r\n");
        writeFile(path("usr/share/tallomar/examples/demo/pictures/fig1.png"), "picture");
    }

    QTemporaryDir root;
    QByteArray savedConfig, savedData;
};

TEST_F(PackageLocation, BundledPackageIsTheFileFolderBesideTheProgramInAnyCase) {
    EXPECT_EQ(bundledPackageFolder(path("usr/bin")), QString());
    ASSERT_TRUE(QDir(path("usr/bin")).mkdir(QStringLiteral("File")));
    EXPECT_EQ(bundledPackageFolder(path("usr/bin")), path("usr/bin/File"));
}

TEST_F(PackageLocation, DemoIsCopiedToTheUsersDataFolderOnceAndKeepsItsSettings) {
    EXPECT_EQ(installedDemoPackage(path("usr/bin")), QString()) << "nothing installed yet";
    installDemo();
    const QString installed = installedDemoPackage(path("usr/bin"));
    ASSERT_EQ(installed, path("usr/share/tallomar/examples/demo"));

    const QString copy = userDemoPackage(installed);
    EXPECT_EQ(copy, path("data/tallomar/demo"));
    EXPECT_EQ(readFile(copy + QStringLiteral("/ZOL.mdb")), QByteArray("tool database"));
    EXPECT_EQ(readFile(copy + QStringLiteral("/check.sql")), QByteArray("select 1\r\nGO\r\n"));
    EXPECT_EQ(readFile(copy + QStringLiteral("/pictures/fig1.png")), QByteArray("picture"));

    writeFile(copy + QStringLiteral("/ZOL.mdb"), "saved settings");
    EXPECT_EQ(userDemoPackage(installed), copy);
    EXPECT_EQ(readFile(copy + QStringLiteral("/ZOL.mdb")), QByteArray("saved settings"));
    EXPECT_EQ(QDir(path("data/tallomar")).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList{QStringLiteral("demo")});
}

TEST_F(PackageLocation, FailedDemoCopyNamesTheFolderAndLeavesNoCopy) {
    installDemo();
    writeFile(path("data/tallomar"), "a file where the folder belongs");
    try {
        userDemoPackage(installedDemoPackage(path("usr/bin")));
        FAIL() << "the copy cannot have succeeded";
    } catch (const Error& error) {
        EXPECT_TRUE(error.message().contains(path("data/tallomar"))) << error.message().toStdString();
    }
    EXPECT_FALSE(QFileInfo::exists(path("data/tallomar/demo")));
}

TEST_F(PackageLocation, RecentFoldersAreNewestFirstWithoutRepeatsOrGoneFolders) {
    for (const char* name : {"a", "b", "gone"}) ASSERT_TRUE(QDir(root.path()).mkdir(QString::fromLatin1(name)));
    rememberPackageFolder(path("gone"));
    rememberPackageFolder(path("a"));
    rememberPackageFolder(path("b"));
    rememberPackageFolder(path("a"));
    ASSERT_TRUE(QDir(path("gone")).removeRecursively());
    EXPECT_EQ(recentPackageFolders(), (QStringList{path("a"), path("b")}));
    EXPECT_TRUE(QFileInfo::exists(path("config/tallomar/tallomar.ini")));

    for (int i = 0; i < 12; ++i) {
        const QString folder = root.filePath(QStringLiteral("p%1").arg(i));
        ASSERT_TRUE(QDir().mkdir(folder));
        rememberPackageFolder(folder);
    }
    const QStringList recent = recentPackageFolders();
    ASSERT_EQ(recent.size(), 8);
    EXPECT_EQ(recent.first(), root.filePath(QStringLiteral("p11")));
}

// Installed, with no package beside the program: the folder dialog asks, and
// offers the folders opened before; the one chosen from that list opens.
TEST_F(PackageLocation, WithoutABundledPackageTheDialogOffersRecentFolders) {
    for (const char* name : {"older", "newer"}) ASSERT_TRUE(QDir(root.path()).mkdir(QString::fromLatin1(name)));
    rememberPackageFolder(path("older"));
    rememberPackageFolder(path("newer"));

    test::ScriptedDialogs dialogs;
    QStringList offered;
    QString prompt;
    dialogs.answer([&](QDialog& dialog) {
        if (auto* label = dialog.findChild<QLabel*>(QStringLiteral("labPrompt"))) prompt = label->text();
        auto* recent = dialog.findChild<QComboBox*>(QStringLiteral("cboRecent"));
        auto* tree = dialog.findChild<QTreeView*>(QStringLiteral("treeFolders"));
        if (!recent || !tree) {
            ADD_FAILURE() << "the dialog has no list of recent folders";
            return int(QDialog::Rejected);
        }
        for (int entry = 1; entry < recent->count(); ++entry) offered << recent->itemData(entry).toString();
        recent->setCurrentIndex(2);
        emit recent->activated(2);
        return int(QDialog::Accepted);
    });
    EXPECT_EQ(ChoosePackageFolder({}, path("usr/bin")), path("older"));
    EXPECT_EQ(offered, (QStringList{path("newer"), path("older")}));
    EXPECT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(prompt, QStringLiteral("请选择工具包所在的文件夹（其中有 ZOL.mdb）"));
}

TEST_F(PackageLocation, NamedFolderOrDemoNeedsNoDialog) {
    installDemo();
    test::ScriptedDialogs dialogs;
    EXPECT_EQ(ChoosePackageFolder({path("a"), false}, path("usr/bin")), path("a"));
    EXPECT_EQ(ChoosePackageFolder({QStringLiteral("relative/pkg"), false}, path("usr/bin")),
              QDir::current().filePath(QStringLiteral("relative/pkg")));
    EXPECT_EQ(ChoosePackageFolder({QString(), true}, path("usr/bin")), path("data/tallomar/demo"));
    EXPECT_TRUE(dialogs.shown().empty());
}

}  // namespace
