#include "windows/workbench/frm_about.h"

#include "ui_frm_about.h"
#include "windows/workbench/workbench_art.h"

#include <QFont>
#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>

namespace tallomar {

FrmAbout::FrmAbout(QWidget* owner) : QDialog(owner), ui_(std::make_unique<Ui::frmAbout>()) {
    loadWorkbenchArt();
    ui_->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint);
    QFont title = ui_->Label1->font();
    title.setPointSizeF(title.pointSizeF() * 1.6);
    title.setBold(true);
    ui_->Label1->setFont(title);
    ui_->picSoft->setPixmap(QPixmap(artPath(QStringLiteral("soft"))));
    connect(ui_->cmdYes, &QPushButton::clicked, this, &QDialog::accept);
    // A dialog with an owner opens over it unless it was placed: this one
    // opens centred on the screen its owner is on.
    const QScreen* screen = owner ? owner->screen() : QGuiApplication::primaryScreen();
    if (screen) move(screen->availableGeometry().center() - rect().center());
}

FrmAbout::~FrmAbout() = default;

}  // namespace tallomar
