#pragma once

#include <QDialog>
#include <memory>

namespace Ui {
class frmAbout;
}

namespace tallomar {

// The about box: the product's name, version and two lines about it.
class FrmAbout : public QDialog {
    Q_OBJECT
public:
    explicit FrmAbout(QWidget* owner);
    ~FrmAbout() override;

private:
    std::unique_ptr<Ui::frmAbout> ui_;
};

}  // namespace tallomar
