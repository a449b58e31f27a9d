#pragma once

#include "windows/viewer/bewrite_logic.h"

#include <QWidget>
#include <memory>

class QModelIndex;

namespace Ui {
class frmBewrite;
}

namespace tallomar {

// The problem-description viewer window: lists the descriptions when it is
// loaded and draws the viewer logic's screen after each action. Only a mouse
// click on a row changes the details; moving the current row with the
// keyboard leaves them as they are. A failure of the tool database is shown
// in a message box and leaves the list or the details empty.
class FrmBewrite : public QWidget {
    Q_OBJECT
public:
    FrmBewrite(BewriteLogic::Query query, QString toolFolder, QWidget* parent = nullptr);
    ~FrmBewrite() override;

    const BewriteLogic& logic() const { return logic_; }

    void LoadSymptomList();
    void ShowSymptomDetails(qint16 id);
    void ClearSymptomDetails();

private:
    void Form_Load();
    void grdBewrite_Click(const QModelIndex& index);
    template <typename Action>
    void handle(Action&& action);
    void renderList();
    void renderDetails();

    std::unique_ptr<Ui::frmBewrite> ui_;
    BewriteLogic logic_;
};

}  // namespace tallomar
