#pragma once

#include "logic/params/script_configs.h"

#include <QWidget>
#include <memory>

namespace Ui {
class FrmSQLValue;
}

namespace tallomar {

// The parameter window: the scripts of the package list gListFile that have
// a configuration file, each with a done mark, and the parameters of the
// selected script, whose values are edited in place (a text box, or a date
// picker for date parameters) and written back into the script's
// configuration file when the editor closes with a value the file does not
// hold yet. Everything happens while it loads; it never runs a script.
class FrmSQLValue : public QWidget {
    Q_OBJECT

public:
    explicit FrmSQLValue(QWidget* parent = nullptr);
    ~FrmSQLValue() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    enum class Editor { None, Text, Date };

    void Form_Load();
    void InitGrids();
    void FillScriptGrid();
    void LoadParameters(int scriptRow);
    bool MarkScriptRow(int scriptRow);
    void RefreshDoneMark();

    void grdSQL_Click();
    void grdTable_Click();
    void grdTable_DblClick();
    void txtData_Change();
    bool txtData_KeyPress(char16_t code);
    void dtpDate_Change();
    bool dtpDate_KeyPress(char16_t code);

    void hideEditors();
    // Ends the open edit: the value goes back into the configuration file
    // and the done mark follows it.
    void closeEditor();
    void writeBack(Editor editor);
    QString editedValue(Editor editor) const;
    void leaveEditorDownwards(QWidget& editor);

    std::unique_ptr<Ui::FrmSQLValue> ui;
    ScriptTable scriptTable;
    qint16 scriptCount = 0;
    int currentScript = 0;  // the scriptTable row whose parameters are shown
    int editRow = 0;        // the parameter row the last editor was opened on
    int shownScriptRow_ = 0;       // the script-grid row whose parameters are shown
    int shownParameterCount_ = 0;  // rows beyond it fill an empty grid and are no parameters
    Editor openEditor_ = Editor::None;
};

}  // namespace tallomar
