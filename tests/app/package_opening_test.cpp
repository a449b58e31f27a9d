#include "app/package_opening.h"
#include "support/scripted_dialogs.h"
#include "support/tool_fixture.h"

#include <gtest/gtest.h>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileSystemModel>
#include <QLabel>
#include <QTemporaryDir>
#include <QTreeView>

using namespace tallomar;

namespace {

const QString kMissingToolDatabase = QStringLiteral("找不到系统数据库,请与供应商联系!");

// Packages and other folders under a temp folder, and a settings folder of
// the test's own for the package folders opened before.
class PackageOpening : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(root.isValid());
        savedConfig = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(root.filePath(QStringLiteral("config"))));
    }
    void TearDown() override { qputenv("XDG_CONFIG_HOME", savedConfig); }

    QString folder(const QString& name) const {
        const QString path = root.filePath(name);
        EXPECT_TRUE(QDir().mkpath(path));
        return path;
    }
    // The operator's answer at the folder chooser: notes where it opened and
    // picks `pick`, or cancels when that is empty.
    void answerChooser(QStringList& openedOn, const QString& pick) {
        dialogs.answer([&openedOn, pick](QDialog& dialog) {
            auto* tree = dialog.findChild<QTreeView*>(QStringLiteral("treeFolders"));
            auto* model = tree ? qobject_cast<QFileSystemModel*>(tree->model()) : nullptr;
            if (!model) {
                ADD_FAILURE() << "not the folder chooser";
                return int(QDialog::Rejected);
            }
            openedOn << (tree->currentIndex().isValid() ? model->filePath(tree->currentIndex()) : QString());
            if (pick.isEmpty()) return int(QDialog::Rejected);
            tree->setCurrentIndex(model->index(pick));
            return int(QDialog::Accepted);
        });
    }
    QStringList texts() const {
        QStringList shown;
        for (const auto& box : dialogs.shown()) shown << (box.text.isEmpty() ? box.kind : box.text);
        return shown;
    }

    QTemporaryDir root;
    QByteArray savedConfig;
    test::ScriptedDialogs dialogs;
};

// Each folder without a tool database is reported and the chooser asked
// again, opening on that folder; the first folder that has one opens.
TEST_F(PackageOpening, AFolderWithoutToolDatabaseIsReportedAndTheChooserAskedAgain) {
    const test::ToolDatabaseFile package(
        test::packageWithSettings({{QStringLiteral("ServerName"), QStringLiteral("db1")}}));
    const QString empty = folder(QStringLiteral("empty")), alsoEmpty = folder(QStringLiteral("also empty"));
    QStringList openedOn;
    dialogs.acceptMessage();
    answerChooser(openedOn, alsoEmpty);
    dialogs.acceptMessage();
    answerChooser(openedOn, package.folder());

    const auto session = OpenPackage({empty, false}, QString());
    ASSERT_NE(session, nullptr);
    EXPECT_EQ(session->gToolFolder, package.folder());
    EXPECT_EQ(session->gToolDbPath, package.path());
    EXPECT_EQ(session->gServerName, QStringLiteral("db1"));
    EXPECT_NE(session->cnTool, nullptr);
    EXPECT_EQ(texts(), (QStringList{kMissingToolDatabase, QStringLiteral("QDialog"), kMissingToolDatabase,
                                    QStringLiteral("QDialog")}));
    EXPECT_EQ(openedOn, (QStringList{empty, alsoEmpty}));
    EXPECT_EQ(dialogs.shown()[0].icon, MessageIcon::Exclamation);
}

// Cancelling the chooser, whether it asks first or again, opens nothing. A
// file that is not the tool database names no package: the chooser opens on
// the folder that holds it.
TEST_F(PackageOpening, GivingUpAtTheChooserOpensNothing) {
    const QString empty = folder(QStringLiteral("empty"));
    QFile notes(root.filePath(QStringLiteral("notes/readme.txt")));
    folder(QStringLiteral("notes"));
    ASSERT_TRUE(notes.open(QIODevice::WriteOnly));
    notes.close();
    QStringList openedOn;

    dialogs.acceptMessage();
    answerChooser(openedOn, QString());
    EXPECT_EQ(OpenPackage({empty, false}, root.path()), nullptr);

    answerChooser(openedOn, QString());
    EXPECT_EQ(OpenPackage({}, root.path()), nullptr) << "no package beside the program: the chooser asks first";

    dialogs.acceptMessage();
    answerChooser(openedOn, QString());
    EXPECT_EQ(OpenPackage({notes.fileName(), false}, root.path()), nullptr);

    EXPECT_EQ(texts(), (QStringList{kMissingToolDatabase, QStringLiteral("QDialog"), QStringLiteral("QDialog"),
                                    kMissingToolDatabase, QStringLiteral("QDialog")}));
    EXPECT_EQ(openedOn, (QStringList{empty, QString(), root.filePath(QStringLiteral("notes"))}));
}

// A file manager or the desktop entry passes the tool database itself,
// written in any letter case: its folder is the package.
TEST_F(PackageOpening, TheToolDatabaseFileNamesItsFolder) {
    const test::ToolDatabaseFile package;
    const QString folder = this->folder(QStringLiteral("包 一"));
    const QString database = QDir(folder).filePath(QStringLiteral("zol.MDB"));
    ASSERT_TRUE(QFile::copy(package.path(), database));

    const auto session = OpenPackage({database, false}, root.path());
    ASSERT_NE(session, nullptr);
    EXPECT_EQ(session->gToolFolder, folder);
    EXPECT_EQ(session->gToolDbPath, database);
    EXPECT_EQ(session->gToolName, QStringLiteral("凭证检查工具"));
    EXPECT_TRUE(dialogs.shown().empty());
}

// A tool database that is there but cannot be read is reported once and
// ends the start: the package is there but broken, which choosing again
// does not mend.
TEST_F(PackageOpening, AnUnreadableToolDatabaseEndsTheStart) {
    const QString damaged = folder(QStringLiteral("damaged"));
    QFile text(QDir(damaged).filePath(QStringLiteral("ZOL.mdb")));
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write("not a tool database\n");
    text.close();
    dialogs.acceptMessage();

    EXPECT_EQ(OpenPackage({damaged, false}, root.path()), nullptr);
    EXPECT_EQ(texts(), QStringList{QStringLiteral("工具数据库已损坏或无法读取：") + text.fileName()});
}

}  // namespace
