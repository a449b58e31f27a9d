#include "windows/workbench/frm_about.h"

#include "ui_frm_about.h"
#include "windows/workbench/workbench_art.h"

#include <QFont>
#include <QPixmap>

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
}

FrmAbout::~FrmAbout() = default;

}  // namespace tallomar
