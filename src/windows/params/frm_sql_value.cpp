#include "windows/params/frm_sql_value.h"

#include "logic/params/date_text.h"
#include "windows/params/grid_editing.h"
#include "logic/params/ini_values.h"
#include "logic/params/parameter_sheet.h"
#include "logic/params/parameter_types.h"
#include "platform/text/blanks.h"
#include "platform/error.h"
#include "ui_frm_sql_value.h"

#include <QCloseEvent>
#include <QFocusEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>

namespace tallomar {

using namespace parameter_sheet;

namespace {

const QString kNormalColour = QStringLiteral("&H80000005");
const QString kHighlightColour = QStringLiteral("&HFFFFC0");
constexpr int kMarkColumn = 1;
constexpr int kTypeColumn = 2;
constexpr char16_t kEnter = 13;

// The character a key press types, as the key filter sees it; 0 for keys
// that type nothing (arrows, Delete, ...), which no filter looks at.
char16_t typedCode(const QKeyEvent& key) {
    if (key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter) return kEnter;
    return key.text().isEmpty() ? 0 : key.text().front().unicode();
}

// Focus that moves to another application window or to a popup (the
// calendar, a context menu) comes back to the editor: the edit goes on.
bool editorLeft(const QFocusEvent& focus) {
    return focus.reason() != Qt::ActiveWindowFocusReason && focus.reason() != Qt::PopupFocusReason;
}

}  // namespace

FrmSQLValue::FrmSQLValue(QWidget* parent) : QWidget(parent), ui(std::make_unique<Ui::FrmSQLValue>()) {
    ui->setupUi(this);
    ui->txtData->installEventFilter(this);
    ui->dtpDate->installEventFilter(this);
    ui->grdTable->installEventFilter(this);
    connect(ui->grdSQL, &FlexGrid::Click, this, &FrmSQLValue::grdSQL_Click);
    connect(ui->grdTable, &FlexGrid::Click, this, &FrmSQLValue::grdTable_Click);
    connect(ui->grdTable, &FlexGrid::DblClick, this, &FrmSQLValue::grdTable_DblClick);
    connect(ui->txtData, &QLineEdit::textChanged, this, &FrmSQLValue::txtData_Change);
    connect(ui->dtpDate, &QDateEdit::dateChanged, this, &FrmSQLValue::dtpDate_Change);
    connect(ui->cmdOK, &QPushButton::clicked, this, &QWidget::close);
    connect(ui->cmdExit, &QPushButton::clicked, this, &QWidget::close);
    Form_Load();
}

FrmSQLValue::~FrmSQLValue() = default;

void FrmSQLValue::Form_Load() {
    LoadScriptConfigs(scriptCount, scriptTable);
    InitGrids();
    FillScriptGrid();
    if (ui->grdSQL->rows() <= ui->grdSQL->fixedRows()) {
        ui->labStatus->setText(QStringLiteral("脚本列表中没有带配置文件的脚本"));
        return;
    }
    for (int i = 1; i < ui->grdSQL->rows(); ++i) {
        ui->grdSQL->setRow(i);
        grdSQL_Click();
        MarkScriptRow(i);
    }
    ui->grdSQL->setRow(1);
    grdSQL_Click();
}

void FrmSQLValue::InitGrids() {
    FlexGrid& scripts = *ui->grdSQL;
    scripts.setFormatString(QStringLiteral("<数组编号|<完成|^功能"));
    scripts.setFixedRows(1);
    scripts.setFixedCols(0);
    scripts.setColWidthTwips(0, 0);
    scripts.setColWidthTwips(1, 500);
    scripts.setColWidthTwips(2, scripts.widthTwips() - 533);

    FlexGrid& parameters = *ui->grdTable;
    parameters.setFormatString(QStringLiteral("<脚本名|^名称|^类型|^允许空|^值"));
    parameters.setFixedRows(1);
    parameters.setFixedCols(4);
    const int widths[] = {0, 1500, 1000, 800, 1700};
    for (int col = 0; col < 5; ++col) parameters.setColWidthTwips(col, widths[col]);
}

// Each script's row lands after the rows already filled, so entries of the
// package list that were skipped leave no gap.
void FrmSQLValue::FillScriptGrid() {
    FlexGrid& scripts = *ui->grdSQL;
    scripts.setRows(2);
    for (int i = 1; i <= scriptTable.rowCount(); ++i) {
        const ScriptEntry& entry = scriptTable.row(i);
        if (entry.configPath.isEmpty()) continue;
        scripts.addItem(QStringLiteral("%1\t%2\t%3").arg(i).arg(kNotDone, entry.functionText),
                        std::min(i, scripts.rows() - 1));
    }
    scripts.removeItem(scripts.rows() - 1);
}

void FrmSQLValue::LoadParameters(int scriptRow) {
    FlexGrid& parameters = *ui->grdTable;
    parameters.setRows(1);
    currentScript = ui->grdSQL->textMatrix(scriptRow, 0).toInt();
    const ScriptEntry& entry = scriptTable.row(currentScript);
    shownScriptRow_ = scriptRow;
    shownParameterCount_ = parameterCount(entry.parameterCount);
    for (const QString& row : parameterRows(entry.configPath, shownParameterCount_))
        parameters.addItem(row, parameters.rows());
    if (parameters.rows() == 1) parameters.addItem(QString(), 1);
    parameters.setFixedRows(1);
    parameters.setCurrentCell(1, kValueColumn);
}

bool FrmSQLValue::MarkScriptRow(int scriptRow) {
    const FlexGrid& parameters = *ui->grdTable;
    std::vector<LoadedRow> rows;
    for (int r = 1; r < parameters.rows(); ++r)
        rows.push_back({parameters.textMatrix(r, kAllowEmptyColumn), parameters.textMatrix(r, kValueColumn)});
    const bool complete = completeAtLoad(rows);
    ui->grdSQL->setTextMatrix(scriptRow, kMarkColumn, complete ? kDone : kNotDone);
    return complete;
}

void FrmSQLValue::RefreshDoneMark() {
    const FlexGrid& parameters = *ui->grdTable;
    QStringList values;
    for (int r = parameters.fixedRows(); r < parameters.rows(); ++r)
        values << parameters.textMatrix(r, kValueColumn);
    ui->grdSQL->setTextMatrix(shownScriptRow_, kMarkColumn, completeAfterEdit(values) ? kDone : kNotDone);
}

// The open edit belongs to the script shown so far: it is closed before
// the newly chosen script's parameters replace it.
void FrmSQLValue::grdSQL_Click() {
    closeEditor();
    LoadParameters(ui->grdSQL->row());
    HighlightRow(*ui->grdSQL, kNormalColour, kHighlightColour, 1, 0);
    hideEditors();
}

void FrmSQLValue::grdTable_Click() { hideEditors(); }

void FrmSQLValue::grdTable_DblClick() {
    hideEditors();
    FlexGrid& parameters = *ui->grdTable;
    if (currentScript < 1 || parameters.row() < parameters.fixedRows()) return;
    editRow = parameters.row();
    if (isDateType(parameters.textMatrix(editRow, kTypeColumn))) {
        ShowDateEditor(parameters, *ui->dtpDate);
        openEditor_ = Editor::Date;
    } else {
        ShowTextEditor(parameters, *ui->txtData);
        openEditor_ = Editor::Text;
    }
}

void FrmSQLValue::txtData_Change() {
    if (ui->txtData->text() != ui->grdTable->text()) ui->grdTable->setText(ui->txtData->text());
}

bool FrmSQLValue::txtData_KeyPress(char16_t code) {
    const QLineEdit& box = *ui->txtData;
    const int selectionStart = box.hasSelectedText() ? box.selectionStart() : box.cursorPosition();
    const auto selectionLength = static_cast<int>(box.selectedText().size());
    const QString typeWord = ui->grdTable->textMatrix(ui->grdTable->row(), kTypeColumn);
    if (!keyAccepted(code, typeWord, box.text(), selectionStart, selectionLength)) return true;
    if (code != kEnter) return false;
    leaveEditorDownwards(*ui->txtData);
    return true;
}

void FrmSQLValue::dtpDate_Change() {
    const QString text = dateText(ui->dtpDate->date()).trimmed();
    if (text != ui->grdTable->text()) ui->grdTable->setText(text);
}

bool FrmSQLValue::dtpDate_KeyPress(char16_t code) {
    if (code != kEnter) return false;
    leaveEditorDownwards(*ui->dtpDate);
    return true;
}

void FrmSQLValue::leaveEditorDownwards(QWidget& editor) {
    closeEditor();
    editor.hide();
    FlexGrid& parameters = *ui->grdTable;
    if (parameters.row() < parameters.rows() - 1) parameters.setRow(parameters.row() + 1);
    parameters.setFocus(Qt::OtherFocusReason);
}

void FrmSQLValue::hideEditors() {
    closeEditor();
    ui->txtData->hide();
    ui->dtpDate->hide();
}

void FrmSQLValue::closeEditor() {
    const Editor editor = openEditor_;
    if (editor == Editor::None) return;
    openEditor_ = Editor::None;
    writeBack(editor);
    RefreshDoneMark();
}

QString FrmSQLValue::editedValue(Editor editor) const {
    return editor == Editor::Date ? dateText(ui->dtpDate->date()) : ui->txtData->text();
}

// A value goes into the file only when it differs from what the file holds,
// so a value with a comment after "//" stays as written until it is changed.
// The filler row of a script without parameters is no parameter.
void FrmSQLValue::writeBack(Editor editor) {
    if (currentScript < 1 || editRow < 1 || editRow > shownParameterCount_) return;
    const QString value = editedValue(editor);
    const QString configPath = scriptTable.row(currentScript).configPath;
    const QString key = parameterKey(editRow, 5);
    ui->grdTable->setTextMatrix(editRow, kValueColumn, value);
    if (value == ReadIniValue(QStringLiteral("Var"), key, QString(), configPath)) return;
    try {
        WriteIniValue(QStringLiteral("Var"), key, value, configPath);
        ui->labStatus->clear();
    } catch (const Error& error) {
        ui->labStatus->setText(QStringLiteral("参数值未能保存：") + error.message());
    }
}

bool FrmSQLValue::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ui->grdTable) {
        if (event->type() == QEvent::KeyPress && typedCode(static_cast<QKeyEvent&>(*event)) == kEnter) {
            grdTable_DblClick();
            return true;
        }
        return false;
    }
    const bool text = watched == ui->txtData;
    const Editor editor = text ? Editor::Text : Editor::Date;
    switch (event->type()) {
    case QEvent::KeyPress: {
        const char16_t code = typedCode(static_cast<QKeyEvent&>(*event));
        if (code == 0) return false;
        return text ? txtData_KeyPress(code) : dtpDate_KeyPress(code);
    }
    case QEvent::InputMethod: {
        // Text from an input method is typed character by character.
        if (!text) return false;
        const QLineEdit& box = *ui->txtData;
        QString result = box.text();
        int at = box.hasSelectedText() ? box.selectionStart() : box.cursorPosition();
        int replaced = static_cast<int>(box.selectedText().size());
        const QString typeWord = ui->grdTable->textMatrix(ui->grdTable->row(), kTypeColumn);
        for (const QChar c : static_cast<QInputMethodEvent&>(*event).commitString()) {
            if (!keyAccepted(c.unicode(), typeWord, result, at, replaced)) return true;
            result.replace(at, replaced, c);
            ++at;
            replaced = 0;
        }
        return false;
    }
    case QEvent::FocusIn:
        if (!text) dtpDate_Change();
        return false;
    case QEvent::FocusOut:
        if (openEditor_ == editor && editorLeft(static_cast<QFocusEvent&>(*event))) {
            writeBack(editor);
            RefreshDoneMark();
        }
        return false;
    default: return false;
    }
}

void FrmSQLValue::closeEvent(QCloseEvent* event) {
    hideEditors();
    event->accept();
}

}  // namespace tallomar
