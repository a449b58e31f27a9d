#include "windows/workbench/pick_folder.h"

#include "support/scripted_dialogs.h"

#include <gtest/gtest.h>
#include <QDialog>
#include <QDir>
#include <QFileSystemModel>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTreeView>

namespace tallomar {
namespace {

using test::ScriptedDialogs;

// The chooser's parts as the operator sees them.
struct Chooser {
    explicit Chooser(QDialog& dialog)
        : tree(dialog.findChild<QTreeView*>(QStringLiteral("treeFolders"))),
          model(tree ? qobject_cast<QFileSystemModel*>(tree->model()) : nullptr),
          status(dialog.findChild<QLabel*>(QStringLiteral("labStatus"))),
          prompt(dialog.findChild<QLabel*>(QStringLiteral("labPrompt"))),
          ok(okButton(dialog)) {}

    static QPushButton* okButton(QDialog& dialog) {
        for (QPushButton* button : dialog.findChildren<QPushButton*>())
            if (button->text() == QStringLiteral("确定")) return button;
        return nullptr;
    }

    QString selected() const {
        return tree->currentIndex().isValid() ? model->filePath(tree->currentIndex()) : QString();
    }
    void select(const QString& folder) { tree->setCurrentIndex(model->index(folder)); }

    QTreeView* tree;
    QFileSystemModel* model;
    QLabel* status;
    QLabel* prompt;
    QPushButton* ok;
};

class PickFolderTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(root.isValid());
        ASSERT_TRUE(QDir(root.path()).mkpath(QStringLiteral("Product/Bin")));
        ASSERT_TRUE(QDir(root.path()).mkpath(QStringLiteral("Other")));
    }
    QString folder(const QString& relative) const { return root.filePath(relative); }

    QTemporaryDir root;
    ScriptedDialogs dialogs;
};

TEST_F(PickFolderTest, ReturnsTheFolderTheOperatorConfirms) {
    dialogs.answer([&](QDialog& dialog) {
        Chooser chooser(dialog);
        chooser.select(folder(QStringLiteral("Product/Bin")));
        EXPECT_TRUE(chooser.ok->isEnabled());
        return int(QDialog::Accepted);
    });
    EXPECT_EQ(PickFolder(nullptr, QStringLiteral("选一个"), QString()), folder(QStringLiteral("Product/Bin")));
    ASSERT_EQ(dialogs.shown().size(), 1u);
}

TEST_F(PickFolderTest, ShowsThePromptAboveTheTree) {
    QString prompt;
    dialogs.answer([&](QDialog& dialog) {
        prompt = Chooser(dialog).prompt->text();
        return int(QDialog::Rejected);
    });
    PickFolder(nullptr, QStringLiteral("请选择产品安装路径"), QString());
    EXPECT_EQ(prompt, QStringLiteral("请选择产品安装路径"));
}

TEST_F(PickFolderTest, CancelReturnsEmptyTextEvenWithASelection) {
    dialogs.answer([&](QDialog& dialog) {
        Chooser(dialog).select(folder(QStringLiteral("Other")));
        return int(QDialog::Rejected);
    });
    EXPECT_TRUE(PickFolder(nullptr, QStringLiteral("p"), folder(QStringLiteral("Product"))).isEmpty());
}

TEST_F(PickFolderTest, OpensOnTheStartFolderAndShowsItsPath) {
    QString selected, status;
    dialogs.answer([&](QDialog& dialog) {
        Chooser chooser(dialog);
        selected = chooser.selected();
        status = chooser.status->text();
        return int(QDialog::Accepted);
    });
    EXPECT_EQ(PickFolder(nullptr, QStringLiteral("p"), folder(QStringLiteral("Product"))),
              folder(QStringLiteral("Product")));
    EXPECT_EQ(selected, folder(QStringLiteral("Product")));
    EXPECT_EQ(status, folder(QStringLiteral("Product")));
}

TEST_F(PickFolderTest, StartFolderWrittenTheWindowsWayIsFound) {
    QString selected;
    dialogs.answer([&](QDialog& dialog) {
        selected = Chooser(dialog).selected();
        return int(QDialog::Rejected);
    });
    const QString windowsSpelling =
        QString(folder(QStringLiteral("PRODUCT/bin"))).replace(QLatin1Char('/'), QLatin1Char('\\'));
    PickFolder(nullptr, QStringLiteral("p"), windowsSpelling);
    EXPECT_EQ(selected, folder(QStringLiteral("Product/Bin")));
}

TEST_F(PickFolderTest, EmptyOrMissingStartFolderPreselectsNothing) {
    for (const QString& start : {QString(), folder(QStringLiteral("Missing")), QStringLiteral("D:\\UFsoft")}) {
        bool okEnabled = true;
        QString selected = QStringLiteral("?"), status = QStringLiteral("?");
        dialogs.answer([&](QDialog& dialog) {
            Chooser chooser(dialog);
            selected = chooser.selected();
            status = chooser.status->text();
            okEnabled = chooser.ok->isEnabled();
            return int(QDialog::Rejected);
        });
        EXPECT_TRUE(PickFolder(nullptr, QStringLiteral("p"), start).isEmpty());
        EXPECT_TRUE(selected.isEmpty()) << start.toStdString();
        EXPECT_TRUE(status.isEmpty()) << start.toStdString();
        EXPECT_FALSE(okEnabled) << start.toStdString();
    }
    EXPECT_EQ(dialogs.shown().size(), 3u);
}

TEST_F(PickFolderTest, StatusLineFollowsTheSelection) {
    QStringList statuses;
    dialogs.answer([&](QDialog& dialog) {
        Chooser chooser(dialog);
        chooser.select(folder(QStringLiteral("Other")));
        statuses << chooser.status->text();
        chooser.select(folder(QStringLiteral("Product/Bin")));
        statuses << chooser.status->text();
        // An item without a path leaves the last path shown.
        chooser.tree->setCurrentIndex(QModelIndex());
        statuses << chooser.status->text();
        return int(QDialog::Rejected);
    });
    PickFolder(nullptr, QStringLiteral("p"), folder(QStringLiteral("Product")));
    EXPECT_EQ(statuses, QStringList({folder(QStringLiteral("Other")), folder(QStringLiteral("Product/Bin")),
                                     folder(QStringLiteral("Product/Bin"))}));
}

TEST_F(PickFolderTest, EachCallOpensOnItsOwnStartFolder) {
    QStringList selected;
    for (int call = 0; call < 2; ++call)
        dialogs.answer([&](QDialog& dialog) {
            selected << Chooser(dialog).selected();
            return int(QDialog::Rejected);
        });
    PickFolder(nullptr, QStringLiteral("p"), folder(QStringLiteral("Product")));
    PickFolder(nullptr, QStringLiteral("p"), folder(QStringLiteral("Other")));
    EXPECT_EQ(selected, QStringList({folder(QStringLiteral("Product")), folder(QStringLiteral("Other"))}));
}

TEST_F(PickFolderTest, SecondChooserWhileOneIsOpenIsRefused) {
    QString nested = QStringLiteral("?");
    dialogs.answer([&](QDialog&) {
        nested = PickFolder(nullptr, QStringLiteral("again"), folder(QStringLiteral("Other")));
        return int(QDialog::Accepted);
    });
    EXPECT_EQ(PickFolder(nullptr, QStringLiteral("p"), folder(QStringLiteral("Product"))),
              folder(QStringLiteral("Product")));
    EXPECT_TRUE(nested.isEmpty());
    EXPECT_EQ(dialogs.shown().size(), 1u);

    // Once the first chooser has closed, the next call opens one again.
    dialogs.answer([](QDialog&) { return int(QDialog::Accepted); });
    EXPECT_EQ(PickFolder(nullptr, QStringLiteral("p"), folder(QStringLiteral("Other"))),
              folder(QStringLiteral("Other")));
}

TEST_F(PickFolderTest, ProductPathRequestWritesTheChosenFolderIntoTheField) {
    QLineEdit field(folder(QStringLiteral("Product")));
    QString prompt;
    dialogs.answer([&](QDialog& dialog) {
        Chooser chooser(dialog);
        prompt = chooser.prompt->text();
        EXPECT_EQ(chooser.selected(), folder(QStringLiteral("Product")));
        chooser.select(folder(QStringLiteral("Product/Bin")));
        return int(QDialog::Accepted);
    });
    RequestProductPath(nullptr, field);
    EXPECT_EQ(prompt, QStringLiteral("请选择产品安装路径"));
    EXPECT_EQ(field.text(), folder(QStringLiteral("Product/Bin")));
}

TEST_F(PickFolderTest, CancelledProductPathRequestKeepsTheField) {
    QLineEdit field(QStringLiteral("C:\\Program Files\\产品"));
    dialogs.answer([](QDialog&) { return int(QDialog::Rejected); });
    RequestProductPath(nullptr, field);
    EXPECT_EQ(field.text(), QStringLiteral("C:\\Program Files\\产品"));
}

}  // namespace
}  // namespace tallomar
