#pragma once

#include "logic/params/parameter_logic.h"

#include <QWidget>
#include <memory>

namespace Ui {
class FrmSQLValue;
}

namespace tallomar {

// The parameter window: draws the parameter logic's screen (the scripts of
// a package list with their done marks, the selected script's parameters
// and the in-cell editor) and forwards the operator's actions to it.
class FrmSQLValue : public QWidget {
    Q_OBJECT

public:
    explicit FrmSQLValue(PackageList list, QWidget* parent = nullptr);
    ~FrmSQLValue() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void Form_Load();
    void InitGrids();
    void grdSQL_Click();
    void grdTable_Click();
    void grdTable_DblClick();
    void txtData_Change();
    void dtpDate_Change();
    bool editorEvent(bool textBox, QEvent& event);

    template <typename Handler>
    void handle(Handler&& handler);
    void render();
    void drawScripts();
    void drawParameters();
    void drawEditor();
    void drawStatus();
    void keepEditing();

    // The editor as last drawn: a change of kind, row or script opens it anew.
    struct DrawnEditor {
        ParameterEditor editor = ParameterEditor::None;
        int editRow = 0;
        int scriptRow = 0;
        bool operator==(const DrawnEditor&) const = default;
    };

    std::unique_ptr<Ui::FrmSQLValue> ui_;
    ParameterLogic logic_;
    DrawnEditor drawnEditor_;
    int drawnScriptRow_ = 0;  // the script row last painted as selected
    bool rendering_ = false;  // the widgets' own reactions to drawing are no operator actions
};

}  // namespace tallomar
