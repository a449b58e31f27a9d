#include "windows/history/history_window.h"

#include "logic/history/run_history.h"
#include "platform/error.h"

#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QSplitter>
#include <QStandardItemModel>
#include <QTableView>
#include <QVBoxLayout>

namespace tallomar {

namespace {

// How many runs the list shows at most.
constexpr int kListedRuns = 500;

QStandardItem* cell(const QString& text, qint64 id) {
    auto* item = new QStandardItem(text);
    item->setData(id, Qt::UserRole);
    item->setEditable(false);
    return item;
}

}  // namespace

HistoryWindow::HistoryWindow(QString historyPath, const QString& database, QWidget* parent)
    : QWidget(parent), historyPath_(std::move(historyPath)) {
    setWindowTitle(QStringLiteral("Run history"));
    auto* layout = new QVBoxLayout(this);
    auto* filter = new QHBoxLayout;
    filter->addWidget(new QLabel(QStringLiteral("Database:")));
    database_ = new QLineEdit(database);
    database_->setObjectName(QStringLiteral("txtDatabase"));
    database_->setPlaceholderText(QStringLiteral("every database"));
    database_->setClearButtonEnabled(true);
    filter->addWidget(database_, 1);
    layout->addLayout(filter);

    auto* splitter = new QSplitter(Qt::Vertical);
    runRows_ = new QStandardItemModel(this);
    runs_ = new QTableView;
    runs_->setObjectName(QStringLiteral("grdRuns"));
    runs_->setModel(runRows_);
    runs_->setSelectionBehavior(QAbstractItemView::SelectRows);
    runs_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    runs_->verticalHeader()->hide();
    runs_->horizontalHeader()->setStretchLastSection(true);
    splitter->addWidget(runs_);
    auto* lower = new QWidget;
    auto* lowerLayout = new QVBoxLayout(lower);
    lowerLayout->setContentsMargins(0, 0, 0, 0);
    caption_ = new QLabel;
    caption_->setObjectName(QStringLiteral("labFindings"));
    caption_->setWordWrap(true);
    lowerLayout->addWidget(caption_);
    findings_ = new QTableView;
    findings_->setObjectName(QStringLiteral("grdFindings"));
    lowerLayout->addWidget(findings_, 1);
    splitter->addWidget(lower);
    layout->addWidget(splitter, 1);
    resize(960, 640);

    connect(database_, &QLineEdit::editingFinished, this, &HistoryWindow::reload);
    connect(runs_->selectionModel(), &QItemSelectionModel::selectionChanged, this, &HistoryWindow::showChosen);
    reload();
}

HistoryWindow::~HistoryWindow() = default;

void HistoryWindow::reload() {
    runRows_->clear();
    runRows_->setHorizontalHeaderLabels({QStringLiteral("ID"), QStringLiteral("Kind"), QStringLiteral("Started"),
                                         QStringLiteral("Finished"), QStringLiteral("Status"),
                                         QStringLiteral("Findings"), QStringLiteral("Database"), QStringLiteral("Tool"),
                                         QStringLiteral("Server"), QStringLiteral("User")});
    try {
        history::RunHistory history(historyPath_);
        for (const history::RunRecord& run : history.runs({database_->text().trimmed(), QString(), kListedRuns})) {
            const auto local = [](const QDateTime& time) { return time.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")); };
            runRows_->appendRow({cell(QString::number(run.id), run.id), cell(history::kindName(run.facts.kind), run.id),
                                 cell(local(run.started), run.id),
                                 cell(run.finished ? local(*run.finished) : QString(), run.id),
                                 cell(history::statusName(run.end.status), run.id),
                                 cell(run.end.findings ? QString::number(*run.end.findings) : QString(), run.id),
                                 cell(run.facts.database, run.id), cell(run.facts.tool, run.id),
                                 cell(run.facts.server, run.id),
                                 cell(run.process.osUser + QLatin1Char('@') + run.process.host, run.id)});
        }
        runs_->resizeColumnsToContents();
        showChosen();
    } catch (const Error& error) {
        caption_->setText(error.message());
    }
}

void HistoryWindow::showChosen() {
    std::vector<qint64> chosen;
    for (const QModelIndex& row : runs_->selectionModel()->selectedRows())
        chosen.push_back(row.data(Qt::UserRole).toLongLong());
    findings_->setModel(nullptr);
    try {
        history::RunHistory history(historyPath_);
        history::FindingsView view = history::findingsView(history, chosen);
        caption_->setText(view.caption);
        findingsModel_ = std::move(view.model);
    } catch (const Error& error) {
        caption_->setText(error.message());
        findingsModel_.reset();
    }
    findings_->setModel(findingsModel_.get());
    if (findingsModel_) findings_->resizeColumnsToContents();
}

}  // namespace tallomar
