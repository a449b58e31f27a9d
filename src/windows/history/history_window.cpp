#include "windows/history/history_window.h"

#include "logic/history/findings_view.h"
#include "logic/history/run_history.h"
#include "logic/workbench/workbench.h"
#include "platform/error.h"
#include "ui_history_window.h"

#include <QHeaderView>
#include <QStandardItemModel>
#include <utility>

namespace tallomar {

namespace {

// How many runs the list shows at most.
constexpr int kListedRuns = 500;

// 发现数 is a check's count and a correction's count before it ran; 修复后
// its re-check's; 修改 whether its changes were kept, blank where that does
// not apply or only the server knows.
const QStringList kRunColumns{
    QStringLiteral("编号"),   QStringLiteral("类型"),   QStringLiteral("开始时间"), QStringLiteral("结束时间"),
    QStringLiteral("服务器"), QStringLiteral("数据库"), QStringLiteral("工具"),     QStringLiteral("操作员"),
    QStringLiteral("状态"),   QStringLiteral("发现数"), QStringLiteral("修复后"),   QStringLiteral("修改"),
};

QString kindLabel(history::RunKind kind) {
    switch (kind) {
        case history::RunKind::Check:
            return texts::kCheckTitle;
        case history::RunKind::Correct:
            return texts::kCorrectionTitle;
        case history::RunKind::Preview:
            return QStringLiteral("预览");
    }
    return {};
}

QString statusLabel(history::RunStatus status) {
    switch (status) {
        case history::RunStatus::Running:
            return QStringLiteral("运行中");
        case history::RunStatus::Ok:
            return QStringLiteral("成功");
        case history::RunStatus::Findings:
            return QStringLiteral("有发现");
        case history::RunStatus::Undone:
            return QStringLiteral("已撤销");
        case history::RunStatus::Failed:
            return QStringLiteral("失败");
        case history::RunStatus::Cancelled:
            return QStringLiteral("已取消");
        case history::RunStatus::Interrupted:
            return QStringLiteral("已中断");
    }
    return {};
}

QString changesLabel(const std::optional<bool>& committed) {
    if (!committed) return {};
    return *committed ? QStringLiteral("已提交") : QStringLiteral("已撤销");
}

QString countText(const std::optional<qint64>& count) {
    return count ? QString::number(*count) : QString();
}

QString localTime(const std::optional<QDateTime>& time) {
    return time ? time->toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")) : QString();
}

QList<QStandardItem*> runRow(const history::RunRecord& run) {
    const QStringList cells{
        QString::number(run.id),
        kindLabel(run.facts.kind),
        localTime(run.started),
        localTime(run.finished),
        run.facts.server,
        run.facts.database,
        run.facts.tool,
        run.process.osUser,
        statusLabel(run.end.status),
        countText(run.end.findings),
        countText(run.end.recheckFindings),
        changesLabel(run.end.committed),
    };
    QList<QStandardItem*> row;
    for (const QString& text : cells) row << new QStandardItem(text);
    return row;
}

// Two checks of one tool on one database: the only runs that compare.
bool comparable(const std::vector<const history::RunRecord*>& runs) {
    return runs.size() == 2 && runs[0]->facts.kind == history::RunKind::Check &&
           runs[1]->facts.kind == history::RunKind::Check && runs[0]->facts.tool == runs[1]->facts.tool &&
           runs[0]->facts.database == runs[1]->facts.database;
}

}  // namespace

HistoryWindow::HistoryWindow(QString historyPath, QString currentDatabase, QWidget* parent)
    : QWidget(parent),
      ui_(std::make_unique<Ui::HistoryWindow>()),
      historyPath_(std::move(historyPath)),
      currentDatabase_(std::move(currentDatabase)),
      runRows_(new QStandardItemModel(this)) {
    ui_->setupUi(this);
    ui_->grdRuns->setModel(runRows_);
    connect(ui_->chkCurrentDatabase, &QCheckBox::toggled, this, &HistoryWindow::reload);
    connect(ui_->grdRuns, &QTableView::activated, this, &HistoryWindow::grdRuns_Activated);
    connect(ui_->grdRuns->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &HistoryWindow::showChosenRuns);
    connect(ui_->cmdCompare, &QPushButton::clicked, this, &HistoryWindow::cmdCompare_Click);
    reload();
}

HistoryWindow::~HistoryWindow() = default;

void HistoryWindow::reload() {
    runRows_->clear();
    runRows_->setHorizontalHeaderLabels(kRunColumns);
    runs_.clear();
    showFindings(QString(), nullptr);
    try {
        history::RunHistory history(historyPath_);
        const QString database = ui_->chkCurrentDatabase->isChecked() ? currentDatabase_ : QString();
        runs_ = history.runs({database, QString(), kListedRuns});
    } catch (const Error& error) {
        ui_->labFindings->setText(error.message());
    }
    for (const history::RunRecord& run : runs_) runRows_->appendRow(runRow(run));
    ui_->grdRuns->resizeColumnsToContents();
    showChosenRuns();
}

std::vector<const history::RunRecord*> HistoryWindow::chosenRuns() const {
    std::vector<const history::RunRecord*> chosen;
    for (const QModelIndex& row : ui_->grdRuns->selectionModel()->selectedRows())
        chosen.push_back(&runs_.at(std::size_t(row.row())));
    return chosen;
}

void HistoryWindow::showChosenRuns() {
    ui_->cmdCompare->setEnabled(comparable(chosenRuns()));
}

void HistoryWindow::grdRuns_Activated(const QModelIndex& index) {
    if (!index.isValid()) return;
    try {
        history::RunHistory history(historyPath_);
        history::FindingsView view = history::runFindingsView(history, runs_.at(std::size_t(index.row())).id);
        showFindings(view.caption, std::move(view.model));
    } catch (const Error& error) {
        showFindings(error.message(), nullptr);
    }
}

void HistoryWindow::cmdCompare_Click() {
    std::vector<const history::RunRecord*> chosen = chosenRuns();
    if (!comparable(chosen)) return;
    // Ids grow with time: the lower is the earlier check.
    if (chosen[0]->id > chosen[1]->id) std::swap(chosen[0], chosen[1]);
    try {
        history::RunHistory history(historyPath_);
        history::FindingsView view = history::comparisonView(history, chosen[0]->id, chosen[1]->id);
        showFindings(view.caption, std::move(view.model));
    } catch (const Error& error) {
        showFindings(error.message(), nullptr);
    }
}

void HistoryWindow::showFindings(const QString& caption, std::unique_ptr<ResultModel> model) {
    ui_->labFindings->setText(caption);
    // The view makes a selection model per model and leaves the old one to us.
    QItemSelectionModel* previous = ui_->grdFindings->selectionModel();
    ui_->grdFindings->setModel(model.get());
    if (previous != ui_->grdFindings->selectionModel()) delete previous;
    findings_ = std::move(model);
    if (findings_) ui_->grdFindings->resizeColumnsToContents();
}

}  // namespace tallomar
