#include "windows/workbench/pick_folder.h"

#include "platform/text/windows_path.h"
#include "platform/ui/dialogs.h"

#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeView>
#include <QVBoxLayout>
#include <memory>

namespace tallomar {

namespace {

// The chooser keeps the folder it opens on while it runs, so one chooser is
// open at a time.
bool chooserOpen = false;

class ChooserOpenGuard {
public:
    ChooserOpenGuard() { chooserOpen = true; }
    ~ChooserOpenGuard() { chooserOpen = false; }
    ChooserOpenGuard(const ChooserOpenGuard&) = delete;
    ChooserOpenGuard& operator=(const ChooserOpenGuard&) = delete;
};

// The folder `startFolder` names on this file system, or empty text when it
// names no existing folder.
QString existingFolder(const QString& startFolder) {
    const QFileInfo folder(resolveWindowsPath(startFolder));
    return !startFolder.isEmpty() && folder.isAbsolute() && folder.isDir() ? folder.absoluteFilePath() : QString();
}

// The folder tree starts at the top of the file system; every item is a
// folder, so every selection has a path the chooser can return.
class FolderChooser : public QDialog {
public:
    FolderChooser(QWidget* owner, const QString& prompt, const QString& startFolder, const QStringList& recentFolders)
        : QDialog(owner),
          model_(new QFileSystemModel(this)),
          tree_(new QTreeView(this)),
          status_(new QLabel(this)),
          buttons_(new QDialogButtonBox(this)) {
        setWindowTitle(QStringLiteral("选择文件夹"));
        resize(360, 420);

        auto* promptLabel = new QLabel(prompt, this);
        promptLabel->setObjectName(QStringLiteral("labPrompt"));
        promptLabel->setWordWrap(true);

        model_->setFilter(QDir::AllDirs | QDir::Drives | QDir::Hidden | QDir::NoDotAndDotDot);
        model_->setRootPath(QString());
        tree_->setObjectName(QStringLiteral("treeFolders"));
        tree_->setModel(model_);
        tree_->setHeaderHidden(true);
        for (int column = 1; column < model_->columnCount(); ++column) tree_->hideColumn(column);

        status_->setObjectName(QStringLiteral("labStatus"));
        status_->setTextInteractionFlags(Qt::TextSelectableByMouse);

        QPushButton* ok = buttons_->addButton(QStringLiteral("确定"), QDialogButtonBox::AcceptRole);
        buttons_->addButton(QStringLiteral("取消"), QDialogButtonBox::RejectRole);
        ok->setEnabled(false);
        connect(buttons_, &QDialogButtonBox::accepted, this, &QDialog::accept);
        connect(buttons_, &QDialogButtonBox::rejected, this, &QDialog::reject);
        connect(tree_->selectionModel(), &QItemSelectionModel::currentChanged, this,
                [this, ok](const QModelIndex& current) {
                    ok->setEnabled(current.isValid());
                    // Without a path the status line keeps its last text.
                    const QString path = pathOf(current);
                    if (!path.isEmpty()) status_->setText(path);
                });

        auto* layout = new QVBoxLayout(this);
        layout->addWidget(promptLabel);
        if (!recentFolders.isEmpty()) layout->addWidget(recentList(recentFolders));
        layout->addWidget(tree_, 1);
        layout->addWidget(status_);
        layout->addWidget(buttons_);

        const QString folder = existingFolder(startFolder);
        if (!folder.isEmpty()) {
            const QModelIndex start = model_->index(folder);
            tree_->setCurrentIndex(start);
            tree_->scrollTo(start);
            keepInViewWhileListing(start);
        }
    }

    QString chosenFolder() const { return pathOf(tree_->currentIndex()); }

private:
    // The recent folders under a heading that stays the list's first entry,
    // so that choosing any folder, the first too, is a change of entry.
    QComboBox* recentList(const QStringList& folders) {
        auto* list = new QComboBox(this);
        list->setObjectName(QStringLiteral("cboRecent"));
        list->addItem(QStringLiteral("最近使用的文件夹"));
        for (const QString& folder : folders) list->addItem(QDir::toNativeSeparators(folder), folder);
        connect(list, &QComboBox::activated, this, [this, list](int entry) {
            const QString folder = existingFolder(list->itemData(entry).toString());
            if (folder.isEmpty()) return;
            const QModelIndex index = model_->index(folder);
            tree_->setCurrentIndex(index);
            tree_->scrollTo(index);
            keepInViewWhileListing(index);
        });
        return list;
    }

    // Folders are listed in the background and sorted once listed: the start
    // folder finds its place in the view only then. The view follows it
    // until the operator selects another folder.
    void keepInViewWhileListing(const QModelIndex& start) {
        auto following = std::make_shared<QMetaObject::Connection>();
        *following = connect(model_, &QAbstractItemModel::layoutChanged, this,
                             [this, following, start = QPersistentModelIndex(start)] {
                                 if (tree_->currentIndex() != start)
                                     disconnect(*following);
                                 else
                                     tree_->scrollTo(start, QAbstractItemView::PositionAtCenter);
                             });
    }

    QString pathOf(const QModelIndex& index) const {
        return index.isValid() ? QDir::toNativeSeparators(model_->filePath(index)) : QString();
    }

    QFileSystemModel* model_;
    QTreeView* tree_;
    QLabel* status_;
    QDialogButtonBox* buttons_;
};

}  // namespace

QString PickFolder(QWidget* owner, const QString& prompt, const QString& startFolder,
                   const QStringList& recentFolders) {
    if (chooserOpen) return {};
    const ChooserOpenGuard guard;
    FolderChooser chooser(owner, prompt, startFolder, recentFolders);
    if (Dialogs::current().exec(chooser) != QDialog::Accepted) return {};
    return chooser.chosenFolder();
}

void RequestProductPath(QWidget* owner, QLineEdit& field) {
    const QString folder = PickFolder(owner, QStringLiteral("请选择产品安装路径"), field.text());
    if (!folder.isEmpty()) field.setText(folder);
}

}  // namespace tallomar
