#include "logic/params/parameter_logic.h"

#include "logic/params/date_text.h"
#include "logic/params/ini_values.h"
#include "logic/params/parameter_sheet.h"
#include "logic/params/parameter_types.h"
#include "logic/params/value_rules.h"
#include "platform/error.h"

#include <QDir>
#include <QStringList>

namespace tallomar {

using namespace parameter_sheet;

namespace {

constexpr char16_t kEnter = 13;
constexpr char16_t kEscape = 27;
const QString kVarSection = QStringLiteral("Var");
// Values longer than this are shortened in messages.
constexpr qsizetype kQuotedLength = 40;

QString quoted(const QString& value) {
    const QString shown = value.size() > kQuotedLength ? value.left(kQuotedLength) + QChar(u'…') : value;
    return QStringLiteral("“%1”").arg(shown);
}

// A parameter row the way the grid takes it, from one tab-separated text: a
// tab inside a name or value moves the rest of the row one column on.
ParameterRow rowFromGridText(const QString& text) {
    QStringList cells = text.split(QLatin1Char('\t'));
    while (cells.size() < 5) cells << QString();
    return {cells[0], cells[1], cells[2], cells[3], cells[4]};
}

}  // namespace

ParameterLogic::ParameterLogic(PackageList list) : list_(std::move(list)) {}

void ParameterLogic::Form_Load() {
    LoadScriptConfigs(list_, scriptCount_, scriptTable_);
    FillScriptGrid();
    if (screen_.scripts.empty()) {
        screen_.status = QStringLiteral("脚本列表中没有带配置文件的脚本");
        return;
    }
    for (int row = 1; row <= static_cast<int>(screen_.scripts.size()); ++row) {
        grdSQL_Click(row);
        MarkScriptRow(row);
    }
    grdSQL_Click(1);
}

// Each script's row lands after the rows already filled, so entries of the
// package list that were skipped leave no gap.
void ParameterLogic::FillScriptGrid() {
    screen_.scripts.clear();
    for (int i = 1; i <= scriptTable_.rowCount(); ++i) {
        const ScriptEntry& entry = scriptTable_.row(i);
        if (!entry.configPath.isEmpty()) screen_.scripts.push_back({i, kNotDone, entry.functionText});
    }
}

void ParameterLogic::grdSQL_Click(int row) {
    if (row < 1 || row > static_cast<int>(screen_.scripts.size())) return;
    // The open edit belongs to the script shown so far: it is finished before
    // the newly chosen script's parameters replace it.
    if (!hideEditors()) return;
    screen_.scriptRow = row;
    LoadParameters(row);
}

void ParameterLogic::LoadParameters(int scriptRow) {
    currentScript_ = screen_.script(scriptRow).tableRow;
    const ScriptEntry& entry = scriptTable_.row(currentScript_);
    shownParameterCount_ = parameterCount(entry.parameterCount);
    screen_.parameters.clear();
    for (const QString& text : parameterRows(entry.configPath, shownParameterCount_))
        screen_.parameters.push_back(rowFromGridText(text));
    if (screen_.parameters.empty()) screen_.parameters.emplace_back();
    screen_.parameterRow = 1;
}

bool ParameterLogic::MarkScriptRow(int scriptRow) {
    std::vector<LoadedRow> rows;
    for (const ParameterRow& parameter : screen_.parameters) rows.push_back({parameter.allowEmpty, parameter.value});
    const bool complete = completeAtLoad(rows);
    screen_.script(scriptRow).doneMark = complete ? kDone : kNotDone;
    return complete;
}

void ParameterLogic::RefreshDoneMark() {
    QStringList values;
    for (const ParameterRow& parameter : screen_.parameters) values << parameter.value;
    screen_.script(screen_.scriptRow).doneMark = completeAfterEdit(values) ? kDone : kNotDone;
}

void ParameterLogic::grdTable_Click() {
    hideEditors();
}

void ParameterLogic::grdTable_DblClick() {
    if (!hideEditors()) return;
    const int row = screen_.parameterRow;
    if (currentScript_ < 1 || row < 1 || row > static_cast<int>(screen_.parameters.size())) return;
    screen_.editRow = row;
    const QString& value = screen_.parameter(row).value;
    editOriginal_ = value;
    refusedText_.clear();
    const QString& typeWord = screen_.parameter(row).typeWord;
    if (isDateType(typeWord)) {
        // An empty cell opens on today; a text that is no date keeps the
        // picker's previous date. A date the type cannot hold opens on the
        // nearest one it can.
        if (value.isEmpty())
            screen_.editDate = QDate::currentDate();
        else if (const auto date = dateFromText(value))
            screen_.editDate = *date;
        screen_.editDateRange = dateRange(typeWord);
        screen_.editDate = screen_.editDateRange.clamped(screen_.editDate);
        screen_.editor = ParameterEditor::Date;
        // The picker takes the focus as it opens.
        dtpDate_GotFocus();
    } else {
        screen_.editText = value;
        screen_.editor = ParameterEditor::Text;
    }
}

void ParameterLogic::grdTable_KeyPress(char16_t code) {
    if (code == kEnter) grdTable_DblClick();
}

void ParameterLogic::txtData_Change(const QString& text) {
    if (screen_.editor != ParameterEditor::Text) return;
    if (text != screen_.editText) refusedText_.clear();
    screen_.editText = text;
    screen_.parameter(screen_.editRow).value = text;
}

bool ParameterLogic::txtData_KeyPress(char16_t code, int selectionStart, int selectionLength) {
    if (screen_.editor != ParameterEditor::Text) return true;
    if (code == kEscape) {
        cancelEdit();
        return false;
    }
    if (!keyAccepted(code, currentTypeWord(), screen_.editText, selectionStart, selectionLength)) return false;
    if (code != kEnter) return true;
    leaveEditorDownwards();
    return false;
}

bool ParameterLogic::txtData_Compose(const QString& committed, int selectionStart, int selectionLength) const {
    QString result = screen_.editText;
    int at = selectionStart;
    int replaced = selectionLength;
    for (const QChar c : committed) {
        if (!keyAccepted(c.unicode(), currentTypeWord(), result, at, replaced)) return false;
        result.replace(at, replaced, c);
        ++at;
        replaced = 0;
    }
    return true;
}

void ParameterLogic::txtData_LostFocus() {
    if (screen_.editor == ParameterEditor::Text && !finishEdit()) screen_.parameterRow = screen_.editRow;
}

void ParameterLogic::dtpDate_Change(const QDate& date) {
    if (screen_.editor != ParameterEditor::Date) return;
    screen_.editDate = date;
    dtpDate_GotFocus();
}

void ParameterLogic::dtpDate_GotFocus() {
    if (screen_.editor != ParameterEditor::Date) return;
    screen_.parameter(screen_.editRow).value = editedValue();
}

bool ParameterLogic::dtpDate_KeyPress(char16_t code) {
    if (screen_.editor != ParameterEditor::Date) return false;
    if (code == kEscape)
        cancelEdit();
    else if (code == kEnter)
        leaveEditorDownwards();
    else
        return false;
    return true;
}

void ParameterLogic::dtpDate_LostFocus() {
    if (screen_.editor == ParameterEditor::Date) finishEdit();
}

bool ParameterLogic::leavingRefused() const {
    return screen_.editor == ParameterEditor::Text && !refusedText_.isEmpty() && screen_.editText == refusedText_;
}

bool ParameterLogic::Form_Unload() {
    return hideEditors();
}

void ParameterLogic::leaveEditorDownwards() {
    if (!hideEditors()) return;
    if (screen_.parameterRow < static_cast<int>(screen_.parameters.size())) ++screen_.parameterRow;
}

// A refused value keeps its editor open on its own row, wherever the
// operator was going.
bool ParameterLogic::hideEditors() {
    if (screen_.editor == ParameterEditor::None) return true;
    if (!finishEdit()) {
        screen_.parameterRow = screen_.editRow;
        return false;
    }
    screen_.editor = ParameterEditor::None;
    return true;
}

// The file is not touched: the cell shows again what it held when the editor
// opened.
void ParameterLogic::cancelEdit() {
    const int row = screen_.editRow;
    screen_.parameter(row).value = editOriginal_;
    screen_.editor = ParameterEditor::None;
    screen_.parameterRow = row;
    screen_.status = QStringLiteral("已取消修改：%1 仍为%2").arg(parameterLabel(row), quoted(editOriginal_));
}

// A text edit marks the script by the rule for edited values: every value
// counts, blanks are empty. A date edit leaves every other value as it was
// loaded, so it marks the script by the rule of loading: the mark then is the
// one the script shows when the window opens again.
bool ParameterLogic::finishEdit() {
    if (!writeBack()) return false;
    if (screen_.editor == ParameterEditor::Date)
        MarkScriptRow(screen_.scriptRow);
    else
        RefreshDoneMark();
    return true;
}

QString ParameterLogic::editedValue() const {
    return screen_.editor == ParameterEditor::Date ? dateText(screen_.editDate) : screen_.editText;
}

// The key filter goes by the edited row's type, wherever the grid's current
// row stands.
QString ParameterLogic::currentTypeWord() const {
    const int row = screen_.editRow;
    return row >= 1 && row <= static_cast<int>(screen_.parameters.size()) ? screen_.parameter(row).typeWord : QString();
}

// A value goes into the file only when it differs from what the file holds,
// so a value with a comment after "//" stays as written until it is changed.
// The filler row of a script without parameters is no parameter. False when
// the value is refused: nothing is written.
bool ParameterLogic::writeBack() {
    const int row = screen_.editRow;
    if (currentScript_ < 1 || row < 1 || row > shownParameterCount_) return true;
    const QString value = editedValue();
    screen_.parameter(row).value = value;
    const QString configPath = scriptTable_.row(currentScript_).configPath;
    const QString key = parameterKey(row, 5);
    if (value == ReadIniValue(kVarSection, key, QString(), configPath)) return true;
    if (const auto fault = valueFault(screen_.parameter(row).typeWord, value)) {
        refuse(value, *fault);
        return false;
    }
    try {
        WriteIniValue(kVarSection, key, value, configPath);
        screen_.status = QStringLiteral("已保存 %1 = %2 到 %3")
                             .arg(parameterLabel(row), quoted(value), QDir::toNativeSeparators(configPath));
    } catch (const Error& error) {
        screen_.status = QStringLiteral("参数值未能保存：") + error.message();
    }
    return true;
}

// The message box comes once for a text; trying to leave again with the same
// text is refused with the status line alone.
void ParameterLogic::refuse(const QString& value, const QString& fault) {
    const QString label = parameterLabel(screen_.editRow);
    screen_.editRefused = true;
    screen_.status = QStringLiteral("未保存：%1 的值%2%3").arg(label, quoted(value), fault);
    if (value == refusedText_) return;
    refusedText_ = value;
    screen_.refusal = QStringLiteral("参数 %1 的值%2%3，没有保存。\n请改正，或按 Esc 恢复原来的值。")
                          .arg(label, quoted(value), fault);
}

QString ParameterLogic::parameterLabel(int row) const {
    const ParameterRow& parameter = screen_.parameter(row);
    if (!parameter.displayName.isEmpty()) return parameter.displayName;
    if (!parameter.name.isEmpty()) return parameter.name;
    return QStringLiteral("第 %1 个参数").arg(row);
}

}  // namespace tallomar
