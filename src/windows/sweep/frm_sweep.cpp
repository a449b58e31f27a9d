#include "windows/sweep/frm_sweep.h"

#include "logic/history/history_database.h"
#include "logic/workbench/workbench.h"
#include "platform/error.h"
#include "ui_frm_sweep.h"
#include "windows/window_placement.h"

#include <QHeaderView>
#include <QTableWidget>

namespace tallomar {

namespace {

enum Column { kDatabase, kAccount, kYear, kStatus, kFindings, kError };

constexpr int kJobs = 4;

void setCell(QTableWidget* grid, int row, int column, const QString& text) {
    grid->setItem(row, column, new QTableWidgetItem(text));
}

}  // namespace

FrmSweep::FrmSweep(const Session& login, QWidget* parent)
    : QWidget(parent, Qt::Window), ui_(std::make_unique<Ui::FrmSweep>()), login_(login.packageAndLogin()) {
    ui_->setupUi(this);
    setAttribute(Qt::WA_DeleteOnClose);
    ui_->grdSweep->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    ui_->grdSweep->horizontalHeader()->setStretchLastSection(true);
    connect(ui_->cmdStart, &QPushButton::clicked, this, &FrmSweep::cmdStart_Click);
    connect(ui_->cmdStop, &QPushButton::clicked, this, &FrmSweep::cmdStop_Click);
    connect(ui_->grdSweep, &QTableWidget::cellDoubleClicked, this, [this](int row, int) { showFindings(row); });
}

FrmSweep::~FrmSweep() {
    if (sweep_) sweep_->cancel();
    worker_ = {};
}

void FrmSweep::cmdStart_Click() {
    ui_->cmdStart->setEnabled(false);
    ui_->cmdStop->setEnabled(true);
    ui_->grdSweep->setRowCount(0);
    ui_->labSweep->clear();
    checks_.clear();
    historyWarning_.clear();
    sweep_.reset();
    stopRequested_ = false;
    worker_ = std::jthread([this] {
        try {
            const QList<SweepTarget> targets = listSweepTargets(login_);
            QMetaObject::invokeMethod(
                this, [this, targets] { listed(targets); }, Qt::QueuedConnection);
        } catch (const Error& error) {
            QMetaObject::invokeMethod(
                this, [this, message = error.message()] { ended(message); }, Qt::QueuedConnection);
        }
    });
}

void FrmSweep::cmdStop_Click() {
    stopRequested_ = true;
    ui_->cmdStop->setEnabled(false);
    if (sweep_) sweep_->cancel();
}

void FrmSweep::listed(const QList<SweepTarget>& targets) {
    worker_ = {};
    ui_->grdSweep->setRowCount(int(targets.size()));
    for (int row = 0; row < targets.size(); ++row) {
        checks_ << DatabaseCheck(targets[row]);
        setCell(ui_->grdSweep, row, kDatabase, targets[row].database);
        setCell(ui_->grdSweep, row, kAccount, targets[row].accountEntry());
        setCell(ui_->grdSweep, row, kYear, targets[row].year);
    }
    ui_->prgSweep->setRange(0, int(targets.size()));
    ui_->prgSweep->setValue(0);
    if (stopRequested_) {
        for (int row = 0; row < checks_.size(); ++row) showCheck(row, checks_[row]);
        ended(QString());
        return;
    }
    sweep_ = std::make_unique<SweepRun>(login_, targets, kJobs);
    sweep_->recordInto(history::HistoryDatabase::defaultPath(), [this](const QString& message) {
        QMetaObject::invokeMethod(
            this, [this, message] { historyWarning_ = message; }, Qt::QueuedConnection);
    });
    worker_ = std::jthread([this, sweep = sweep_.get()] {
        QString failure;
        try {
            sweep->run([this](int index, const DatabaseCheck& check) {
                QMetaObject::invokeMethod(
                    this, [this, index, check] { showCheck(index, check); }, Qt::QueuedConnection);
            });
        } catch (const Error& error) {
            failure = error.message();
        }
        QMetaObject::invokeMethod(
            this, [this, failure] { ended(failure); }, Qt::QueuedConnection);
    });
}

void FrmSweep::showCheck(int index, const DatabaseCheck& check) {
    checks_[index] = check;
    setCell(ui_->grdSweep, index, kStatus, statusCaption(check.status));
    setCell(ui_->grdSweep, index, kFindings, check.findings ? QString::number(*check.findings) : QString());
    setCell(ui_->grdSweep, index, kError, check.error);
    if (check.status != DatabaseCheck::Status::Cancelled) ui_->prgSweep->setValue(ui_->prgSweep->value() + 1);
}

void FrmSweep::ended(const QString& status) {
    worker_ = {};
    // A database the sweep never reached says so.
    for (int row = 0; row < checks_.size(); ++row)
        if (!ui_->grdSweep->item(row, kStatus)) showCheck(row, checks_[row]);
    qint64 total = 0;
    for (const DatabaseCheck& check : checks_) total += check.findings.value_or(0);
    const QString shown = status.isEmpty() ? texts::findingsStatus(total) : status;
    ui_->labSweep->setText(historyWarning_.isEmpty() ? shown : shown + QLatin1Char(' ') + historyWarning_);
    ui_->cmdStart->setEnabled(true);
    ui_->cmdStop->setEnabled(false);
    emit sweepEnded();
}

void FrmSweep::showFindings(int row) {
    if (row < 0 || row >= checks_.size() || checks_[row].columns.isEmpty()) return;
    const DatabaseCheck& check = checks_[row];
    auto* grid = new QTableWidget(int(check.rows.size()), int(check.columns.size()), this);
    grid->setWindowFlag(Qt::Window);
    grid->setAttribute(Qt::WA_DeleteOnClose);
    grid->setObjectName(QStringLiteral("grdFindings"));
    grid->setWindowTitle(check.target.database + QLatin1Char(' ') + check.target.accountEntry());
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setHorizontalHeaderLabels(check.columns);
    for (int r = 0; r < check.rows.size(); ++r)
        for (int c = 0; c < check.rows[r].size(); ++c) setCell(grid, r, c, check.rows[r][c]);
    grid->resizeColumnsToContents();
    grid->resize(640, 360);
    grid->show();
}

void showSweepWindow(const Session& login, QWidget* parent) {
    auto* window = new FrmSweep(login, parent);
    if (parent) centreOn(*window, *parent);
    window->show();
}

}  // namespace tallomar
