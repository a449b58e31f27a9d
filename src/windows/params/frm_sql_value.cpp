#include "windows/params/frm_sql_value.h"

#include "logic/params/parameter_sheet.h"
#include "platform/ui/dialogs.h"
#include "ui_frm_sql_value.h"
#include "windows/params/grid_editing.h"

#include <QCloseEvent>
#include <QFocusEvent>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QScreen>
#include <utility>

namespace tallomar {

namespace {

const QString kNormalColour = QStringLiteral("&H80000005");
const QString kHighlightColour = QStringLiteral("&HFFFFC0");
constexpr char16_t kEnter = 13;
constexpr char16_t kEscape = 27;
constexpr int kMarkColumn = 1;

// The character a key press types, as the key filters see it; 0 for keys
// that type nothing (arrows, Delete, ...), which no filter looks at.
char16_t typedCode(const QKeyEvent& key) {
    if (key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter) return kEnter;
    if (key.key() == Qt::Key_Escape) return kEscape;
    return key.text().isEmpty() ? 0 : key.text().front().unicode();
}

// Focus that moves to another application window or to a popup (the
// calendar, a context menu) comes back to the editor: the edit goes on.
bool editorLeft(const QFocusEvent& focus) {
    return focus.reason() != Qt::ActiveWindowFocusReason && focus.reason() != Qt::PopupFocusReason;
}

void setCellText(FlexGrid& grid, int row, int col, const QString& text) {
    if (grid.textMatrix(row, col) != text) grid.setTextMatrix(row, col, text);
}

}  // namespace

FrmSQLValue::FrmSQLValue(PackageList list, QWidget* parent)
    : QWidget(parent), ui_(std::make_unique<Ui::FrmSQLValue>()), logic_(std::move(list)) {
    ui_->setupUi(this);
    ui_->txtData->installEventFilter(this);
    ui_->dtpDate->installEventFilter(this);
    ui_->grdTable->installEventFilter(this);
    ui_->grdTable->viewport()->installEventFilter(this);
    ui_->grdSQL->viewport()->installEventFilter(this);
    connect(ui_->grdSQL, &FlexGrid::Click, this, &FrmSQLValue::grdSQL_Click);
    connect(ui_->grdSQL, &FlexGrid::RowColChange, this, &FrmSQLValue::grdSQL_Click);
    connect(ui_->grdTable, &FlexGrid::Click, this, &FrmSQLValue::grdTable_Click);
    connect(ui_->grdTable, &FlexGrid::DblClick, this, &FrmSQLValue::grdTable_DblClick);
    connect(ui_->txtData, &QLineEdit::textChanged, this, &FrmSQLValue::txtData_Change);
    connect(ui_->dtpDate, &QDateEdit::dateChanged, this, &FrmSQLValue::dtpDate_Change);
    connect(ui_->cmdOK, &QPushButton::clicked, this, &QWidget::close);
    connect(ui_->cmdExit, &QPushButton::clicked, this, &QWidget::close);
    Form_Load();
    // No window owns this one: it opens in the middle of the screen.
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

FrmSQLValue::~FrmSQLValue() = default;

void FrmSQLValue::Form_Load() {
    InitGrids();
    handle([this] { logic_.Form_Load(); });
}

void FrmSQLValue::InitGrids() {
    FlexGrid& scripts = *ui_->grdSQL;
    scripts.setFormatString(QStringLiteral("<数组编号|<完成|^功能"));
    scripts.setFixedRows(1);
    scripts.setFixedCols(0);
    scripts.setColWidthTwips(0, 0);
    scripts.setColWidthTwips(1, 500);
    scripts.setColWidthTwips(2, scripts.widthTwips() - 533);

    FlexGrid& parameters = *ui_->grdTable;
    parameters.setFormatString(QStringLiteral("<脚本名|^名称|^类型|^允许空|^值"));
    parameters.setFixedRows(1);
    parameters.setFixedCols(4);
    const int widths[] = {0, 1500, 1000, 800, 1700};
    for (int col = 0; col < 5; ++col) parameters.setColWidthTwips(col, widths[col]);
}

void FrmSQLValue::grdSQL_Click() {
    const int row = ui_->grdSQL->row();
    handle([&] { logic_.grdSQL_Click(row); });
}

void FrmSQLValue::grdTable_Click() {
    handle([this] { logic_.grdTable_Click(); });
}

void FrmSQLValue::grdTable_DblClick() {
    handle([this] { logic_.grdTable_DblClick(); });
}

void FrmSQLValue::txtData_Change() {
    const QString text = ui_->txtData->text();
    handle([&] { logic_.txtData_Change(text); });
}

void FrmSQLValue::dtpDate_Change() {
    const QDate date = ui_->dtpDate->date();
    handle([&] { logic_.dtpDate_Change(date); });
}

// The parameter grid's current row moves with the mouse and the arrow keys
// between handlers; the logic sees where it stands before each.
template <typename Handler>
void FrmSQLValue::handle(Handler&& handler) {
    if (rendering_) return;
    if (ui_->grdTable->row() >= ui_->grdTable->fixedRows()) logic_.screen().parameterRow = ui_->grdTable->row();
    handler();
    render();
    if (logic_.screen().editRefused) keepEditing();
}

// The refused value stays in its editor, which has the focus again once the
// operator has read why.
void FrmSQLValue::keepEditing() {
    ParameterScreen& screen = logic_.screen();
    screen.editRefused = false;
    const QString refusal = std::exchange(screen.refusal, QString());
    if (!refusal.isEmpty()) showMessage(this, MessageIcon::Exclamation, refusal);
    QWidget& editor = screen.editor == ParameterEditor::Date ? static_cast<QWidget&>(*ui_->dtpDate)
                                                             : static_cast<QWidget&>(*ui_->txtData);
    rendering_ = true;
    editor.setFocus(Qt::OtherFocusReason);
    rendering_ = false;
}

void FrmSQLValue::render() {
    rendering_ = true;
    const QSignalBlocker blockScripts(ui_->grdSQL), blockParameters(ui_->grdTable), blockText(ui_->txtData),
        blockDate(ui_->dtpDate);
    drawScripts();
    drawParameters();
    drawEditor();
    drawStatus();
    rendering_ = false;
}

// A status too long for its line gives up its middle (the middle of a file's
// path, mostly) and is shown whole as the line's tool tip.
void FrmSQLValue::drawStatus() {
    QLabel& label = *ui_->labStatus;
    const QString& status = logic_.screen().status;
    label.setText(label.fontMetrics().elidedText(status, Qt::ElideMiddle, label.width()));
    label.setToolTip(status);
}

void FrmSQLValue::drawScripts() {
    const ParameterScreen& screen = logic_.screen();
    FlexGrid& grid = *ui_->grdSQL;
    const int rows = static_cast<int>(screen.scripts.size());
    const bool rowsChanged = grid.rows() != rows + 1;
    if (rowsChanged) grid.setRows(rows + 1);
    for (int row = 1; row <= rows; ++row) {
        const ScriptRow& script = screen.script(row);
        setCellText(grid, row, 0, QString::number(script.tableRow));
        setCellText(grid, row, 1, script.doneMark);
        setCellText(grid, row, 2, script.functionText);
    }
    // Painting the selection moves the current cell and so scrolls the grid:
    // done only when the selection changed, a click that ends an edit lands
    // on the row it was aimed at.
    if (screen.scriptRow < 1 || (screen.scriptRow == drawnScriptRow_ && !rowsChanged)) return;
    drawnScriptRow_ = screen.scriptRow;
    grid.setRow(screen.scriptRow);
    HighlightRow(grid, kNormalColour, kHighlightColour, 1, 0);
    // The row painter leaves the last column current, which scrolls the
    // done marks out of sight when the function column is wider than the
    // grid's view; the mark column is where the script grid stands.
    grid.setCol(kMarkColumn);
}

void FrmSQLValue::drawParameters() {
    const ParameterScreen& screen = logic_.screen();
    FlexGrid& grid = *ui_->grdTable;
    const int rows = static_cast<int>(screen.parameters.size());
    if (grid.rows() != rows + 1) grid.setRows(rows + 1);
    for (int row = 1; row <= rows; ++row) {
        const ParameterRow& parameter = screen.parameter(row);
        const QString cells[] = {parameter.name, parameter.displayName, parameter.typeWord, parameter.allowEmpty,
                                 parameter.value};
        for (int col = 0; col < 5; ++col) setCellText(grid, row, col, cells[col]);
    }
    if (screen.parameterRow >= 1 && screen.parameterRow <= rows)
        grid.setCurrentCell(screen.parameterRow, parameter_sheet::kValueColumn);
}

void FrmSQLValue::drawEditor() {
    const ParameterScreen& screen = logic_.screen();
    QLineEdit& textBox = *ui_->txtData;
    QDateEdit& datePicker = *ui_->dtpDate;
    const DrawnEditor wanted{screen.editor, screen.editRow, screen.scriptRow};
    if (wanted == drawnEditor_) {
        if (screen.editor == ParameterEditor::Date && datePicker.date() != screen.editDate)
            datePicker.setDate(screen.editDate);
        return;
    }
    const bool editorHadFocus = textBox.hasFocus() || datePicker.hasFocus();
    textBox.hide();
    datePicker.hide();
    drawnEditor_ = wanted;
    switch (screen.editor) {
        case ParameterEditor::Text:
            ShowTextEditor(*ui_->grdTable, textBox);
            break;
        case ParameterEditor::Date:
            datePicker.setDateRange(screen.editDateRange.first, screen.editDateRange.last);
            datePicker.setDate(screen.editDate);
            ShowDateEditor(*ui_->grdTable, datePicker);
            break;
        case ParameterEditor::None:
            if (editorHadFocus) ui_->grdTable->setFocus(Qt::OtherFocusReason);
            break;
    }
}

bool FrmSQLValue::eventFilter(QObject* watched, QEvent* event) {
    if (rendering_) return false;
    // A press on a grid while the editor holds a refused value stays where it
    // is: the editor has taken the focus back, and the grid's current cell
    // must not move away from the cell being edited.
    if (watched == ui_->grdTable->viewport() || watched == ui_->grdSQL->viewport())
        return event->type() == QEvent::MouseButtonPress && logic_.leavingRefused();
    if (watched == ui_->grdTable) {
        if (event->type() != QEvent::KeyPress) return false;
        const char16_t code = typedCode(static_cast<QKeyEvent&>(*event));
        if (code != kEnter) return false;
        handle([&] { logic_.grdTable_KeyPress(code); });
        return true;
    }
    return editorEvent(watched == ui_->txtData, *event);
}

// True when the event is consumed: a key the value's type does not take,
// or Enter, which the logic handles.
bool FrmSQLValue::editorEvent(bool textBox, QEvent& event) {
    const QLineEdit& box = *ui_->txtData;
    const int selectionStart = box.hasSelectedText() ? box.selectionStart() : box.cursorPosition();
    const auto selectionLength = static_cast<int>(box.selectedText().size());
    switch (event.type()) {
        case QEvent::KeyPress: {
            const char16_t code = typedCode(static_cast<QKeyEvent&>(event));
            if (code == 0) return false;
            bool passOn = true;
            if (textBox)
                handle([&] { passOn = logic_.txtData_KeyPress(code, selectionStart, selectionLength); });
            else
                handle([&] { passOn = !logic_.dtpDate_KeyPress(code); });
            return !passOn;
        }
        case QEvent::InputMethod:
            return textBox && !logic_.txtData_Compose(static_cast<QInputMethodEvent&>(event).commitString(),
                                                      selectionStart, selectionLength);
        case QEvent::FocusIn:
            if (!textBox) handle([this] { logic_.dtpDate_GotFocus(); });
            return false;
        case QEvent::FocusOut:
            if (editorLeft(static_cast<QFocusEvent&>(event)))
                handle([&] { textBox ? logic_.txtData_LostFocus() : logic_.dtpDate_LostFocus(); });
            return false;
        default:
            return false;
    }
}

void FrmSQLValue::closeEvent(QCloseEvent* event) {
    bool unloaded = true;
    handle([&] { unloaded = logic_.Form_Unload(); });
    event->setAccepted(unloaded);
}

}  // namespace tallomar
