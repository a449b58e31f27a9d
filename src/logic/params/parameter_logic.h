#pragma once

#include "logic/params/package_list.h"
#include "logic/params/parameter_screen.h"
#include "logic/params/script_configs.h"

#include <QDate>
#include <QString>

namespace tallomar {

// The parameter window's behaviour without the window: the scripts of a
// package list that have a configuration file, each with its done mark; the
// parameters of the selected script; the in-cell editor that is open and the
// value it edits; writing a value back into the script's configuration file.
// The window draws `screen()` after every call and forwards its events here.
class ParameterLogic {
public:
    explicit ParameterLogic(PackageList list);

    ParameterScreen& screen() { return screen_; }
    const ParameterScreen& screen() const { return screen_; }

    // Loads the table of configured scripts and marks each script; the first
    // one ends up selected.
    void Form_Load();

    // Selects script-grid row `row` (a click, or an arrow key moving the
    // script grid's current row): an open edit is finished first, and the
    // selection stays when the edit's value is refused.
    void grdSQL_Click(int row);
    void grdTable_Click();
    // Opens the editor of the value of screen().parameterRow: the date picker
    // for the two date types, the text box for every other.
    void grdTable_DblClick();
    // A character typed in the parameter grid: Enter (13) opens the editor.
    void grdTable_KeyPress(char16_t code);

    void txtData_Change(const QString& text);
    // A character typed into the text box (13 Enter, 8 Backspace, 27 Escape),
    // whose selection starts at `selectionStart` (the caret when nothing is
    // selected). True when the character goes on into the text box: the key
    // filter of the value's type takes it. Enter closes the editor, Escape
    // closes it and gives the cell back the value it had when it opened.
    bool txtData_KeyPress(char16_t code, int selectionStart, int selectionLength);
    // Text composed by an input method, taken only when every character of
    // it would be taken typed one by one.
    bool txtData_Compose(const QString& committed, int selectionStart, int selectionLength) const;
    void txtData_LostFocus();

    void dtpDate_Change(const QDate& date);
    void dtpDate_GotFocus();
    // True when the key was Enter, which closes the picker, or Escape, which
    // closes it and gives the cell back its value; every other key is left to
    // the picker.
    bool dtpDate_KeyPress(char16_t code);
    void dtpDate_LostFocus();

    // True while the text editor holds the value last refused: leaving it
    // would be refused again.
    bool leavingRefused() const;

    // The window closes: an open edit is finished and the editors hidden.
    // False when the edit's value is refused: the window stays open.
    bool Form_Unload();

private:
    void FillScriptGrid();
    void LoadParameters(int scriptRow);
    bool MarkScriptRow(int scriptRow);
    void RefreshDoneMark();

    // Finishes the open edit, if any, and hides the editor. False when the
    // edit's value is refused and the editor stays open.
    bool hideEditors();
    bool finishEdit();
    bool writeBack();
    void refuse(const QString& value, const QString& fault);
    void cancelEdit();
    void leaveEditorDownwards();
    QString editedValue() const;
    QString currentTypeWord() const;
    QString parameterLabel(int row) const;

    PackageList list_;
    ScriptTable scriptTable_;
    qint16 scriptCount_ = 0;
    int currentScript_ = 0;        // the scriptTable_ row whose parameters are shown
    int shownParameterCount_ = 0;  // rows beyond it fill an empty grid and are no parameters
    QString editOriginal_;         // the edited cell's value when its editor opened
    QString refusedText_;          // the text last refused, said once until it changes
    ParameterScreen screen_;
};

}  // namespace tallomar
