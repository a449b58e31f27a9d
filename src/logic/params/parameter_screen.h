#pragma once

#include "logic/params/value_rules.h"

#include <QDate>
#include <QString>
#include <vector>

namespace tallomar {

// A row of the script grid grdSQL.
struct ScriptRow {
    int tableRow = 0;      // column 0 (hidden): the script's row in the table of configured scripts
    QString doneMark;      // column 1, 完成: √ or ×
    QString functionText;  // column 2, 功能
};

// A row of the parameter grid grdTable, one field per column.
struct ParameterRow {
    QString name;         // 脚本名 (hidden): the name used in the script
    QString displayName;  // 名称
    QString typeWord;     // 类型: the display word of the type
    QString allowEmpty;   // 允许空: 否 or 是
    QString value;        // 值: the one column that can be edited
};

// The in-cell editor laid over the value cell of the row being edited.
enum class ParameterEditor { None, Text, Date };

// Everything the parameter window shows, kept by the parameter logic and
// drawn by the window after each handler. Rows are numbered as the grids
// number them: row 0 is the header, data rows start at 1.
struct ParameterScreen {
    std::vector<ScriptRow> scripts;                  // grdSQL rows 1 to n
    int scriptRow = 0;                               // the selected (highlighted) script row; 0 when there is none
    std::vector<ParameterRow> parameters;            // grdTable rows 1 to n: the selected script's parameters
    int parameterRow = 0;                            // grdTable's current row
    ParameterEditor editor = ParameterEditor::None;  // txtData or dtpDate, when one is open
    int editRow = 0;                                 // the grdTable row the editor was opened on
    QString editText;                                // txtData
    QDate editDate = QDate::currentDate();           // dtpDate
    DateRange editDateRange;                         // the dates dtpDate offers
    QString status;                                  // labStatus
    // Set when leaving the editor was refused because its value cannot be
    // saved: the editor stays open over its cell and takes the focus back,
    // and `refusal`, when not empty, is said in a message box. The window
    // clears both once it has done so.
    bool editRefused = false;
    QString refusal;

    ScriptRow& script(int row) { return scripts.at(static_cast<std::size_t>(row - 1)); }
    const ScriptRow& script(int row) const { return scripts.at(static_cast<std::size_t>(row - 1)); }
    ParameterRow& parameter(int row) { return parameters.at(static_cast<std::size_t>(row - 1)); }
    const ParameterRow& parameter(int row) const { return parameters.at(static_cast<std::size_t>(row - 1)); }
};

}  // namespace tallomar
