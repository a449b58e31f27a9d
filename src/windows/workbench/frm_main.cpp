#include "windows/workbench/frm_main.h"

#include "logic/failure_text.h"
#include "logic/history/history_database.h"
#include "logic/history/run_end.h"
#include "logic/history/session_recording.h"
#include "logic/login/server_connections.h"
#include "logic/workbench/correction_report.h"
#include "logic/workbench/ledger_text.h"
#include "logic/workbench/result_export.h"
#include "logic/workbench/result_feed.h"
#include "logic/workbench/result_model.h"
#include "platform/error.h"
#include "platform/ui/dialogs.h"
#include "ui_frm_main.h"
#include "windows/history/history_window.h"
#include "windows/sweep/frm_sweep.h"
#include "windows/viewer/bewrite_viewer.h"
#include "windows/window_placement.h"
#include "windows/workbench/column_fit.h"
#include "windows/workbench/correction_preview_dialog.h"
#include "windows/workbench/frm_about.h"
#include "windows/workbench/run_progress.h"
#include "windows/workbench/window_drag.h"
#include "windows/workbench/window_run_recording.h"
#include "windows/workbench/workbench_art.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDateTime>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QWindow>
#include <memory>

namespace tallomar {

namespace {

// The picture of each button: its artwork name.
struct ButtonArt {
    const char* widget;
    const char* art;
};
constexpr ButtonArt kButtonArt[] = {
    {"cmdCheck", "check"},   {"cmdRun", "run"},     {"cmdSolution", "solution"}, {"cmdBeWrite", "bewrite"},
    {"cmdReadme", "readme"}, {"cmdAbout", "about"}, {"cmdCancel", "cancel"},
};

QString pictureButtonStyle(const QString& widget, const QString& art) {
    const QString selector = QStringLiteral("QPushButton#") + widget;
    auto state = [&](const char* pseudo, const char* suffix) {
        return selector + QLatin1String(pseudo) + QStringLiteral(" { border-image: url(") +
               artPath(art + QLatin1String(suffix)) + QStringLiteral("); }\n");
    };
    return state("", "_normal") + state(":pressed", "_pressed") + state(":disabled", "_disabled");
}

// A run needs the server: a connection lost since the last run is opened
// again first; when that fails the operator is told and nothing runs.
bool serverReachable(QWidget* window, Session& session) {
    const QString failure = ReconnectIfLost(session);
    if (failure.isEmpty()) return true;
    showMessage(window, MessageIcon::Exclamation, failure);
    return false;
}

// The same reads, their failures in the operator's words.
ToolReads withOperatorWords(ToolReads reads, const QString& path) {
    reads.openRecordset = [path, open = std::move(reads.openRecordset)](const QString& sql) {
        return inOperatorWords(path, [&] { return open(sql); });
    };
    return reads;
}

}  // namespace

FrmMain::FrmMain(std::shared_ptr<Session> session) : FrmMain(std::move(session), std::nullopt) {}

FrmMain::FrmMain(std::shared_ptr<Session> session, std::optional<ToolReads> reads)
    : ui_(std::make_unique<Ui::FrmMain>()),
      session_(std::move(session)),
      workbench_(
          *session_,
          reads ? std::move(*reads) : withOperatorWords(ToolReads::of(*session_->cnTool), session_->cnTool->path()),
          [this](const QString& title, const RunWork& work) { return runRecorded(title, work); }),
      historyPath_(history::HistoryDatabase::defaultPath()),
      previewUndoAfter_(kPreviewUndoAfter) {
    loadWorkbenchArt();
    ui_->setupUi(this);
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    setAttribute(Qt::WA_DeleteOnClose);
    background_ = QPixmap(artPath(QStringLiteral("background")));
    styleButtons();
    QFont caption = ui_->labFrmCaption->font();
    caption.setBold(true);
    caption.setPointSizeF(caption.pointSizeF() * 1.15);
    ui_->labFrmCaption->setFont(caption);
    ui_->grdCheck->horizontalHeader()->setHighlightSections(false);
    // Rows of one height: a result of a million rows costs the header nothing per row.
    ui_->grdCheck->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    ui_->grdCheck->verticalHeader()->setDefaultSectionSize(ui_->grdCheck->fontMetrics().height() + 6);
    installGridActions();
    buildSurfaceMenu();
    // Which ledger every run acts on stays in view.
    ui_->labLedger->setText(texts::ledgerLine(*session_));
    ui_->labLedger->setToolTip(ui_->labLedger->text());

    connect(ui_->cmdCheck, &QPushButton::clicked, this, &FrmMain::cmdCheck_Click);
    connect(ui_->cmdRun, &QPushButton::clicked, this, &FrmMain::cmdRun_Click);
    connect(ui_->cmdSolution, &QPushButton::clicked, this, &FrmMain::cmdSolution_Click);
    connect(ui_->cmdReadme, &QPushButton::clicked, this, &FrmMain::cmdReadme_Click);
    connect(ui_->cmdBeWrite, &QPushButton::clicked, this, &FrmMain::cmdBeWrite_Click);
    connect(ui_->cmdAbout, &QPushButton::clicked, this, &FrmMain::cmdAbout_Click);
    connect(ui_->cmdCancel, &QPushButton::clicked, this, &QWidget::close);
    connect(ui_->picExit, &QPushButton::clicked, this, &QWidget::close);

    LoadTool();
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

FrmMain::~FrmMain() = default;

void FrmMain::styleButtons() {
    QString style;
    for (const ButtonArt& button : kButtonArt)
        style += pictureButtonStyle(QLatin1String(button.widget), QLatin1String(button.art));
    style += QStringLiteral("QPushButton#picExit { border-image: url(%1); }\n").arg(artPath(QStringLiteral("exit")));
    // A run button with a caption shows it on a blank plate.
    style += pictureButtonStyle(QStringLiteral("cmdRun[captioned=\"true\"]"), QStringLiteral("plate"));
    style += QStringLiteral("QPushButton#cmdRun { color: white; font-weight: bold; }\n");
    style += QStringLiteral("QLabel#labFrmCaption { color: white; }\n");
    style += QStringLiteral("QLabel#labLedger { color: #1c3f80; font-size: 9pt; }\n");
    setStyleSheet(style);
}

void FrmMain::ShowToolDescription() {
    ui_->txtReport->setPlainText(workbench_.readme());
    ui_->labResult->setText(texts::kStatusDescription);
}

void FrmMain::LoadTool() {
    ShowToolDescription();
    const ToolOffer offer = workbench_.loadTool();
    ui_->cmdCheck->setVisible(offer.check);
    ui_->cmdRun->setVisible(offer.run);
    if (offer.runCaptioned) {
        ui_->cmdRun->setText(texts::kRunCaption);
        ui_->cmdRun->setProperty("captioned", true);
    }
    ui_->cmdBeWrite->setVisible(offer.bewrite);
    ui_->labFrmCaption->setText(offer.title);
    offer_ = offer;
}

void FrmMain::showReportView() {
    ui_->grdCheck->hide();
    ui_->txtReport->show();
}

void FrmMain::showGridView() {
    ui_->txtReport->hide();
    ui_->grdCheck->show();
}

void FrmMain::showInGrid(ResultModel* model) {
    // The view makes a selection model per model and leaves the old one to us.
    QItemSelectionModel* previous = ui_->grdCheck->selectionModel();
    ui_->grdCheck->setModel(model);
    if (previous != ui_->grdCheck->selectionModel()) delete previous;
}

void FrmMain::forgetFindings(const QString& status) {
    showInGrid(nullptr);
    result_.reset();
    offerFollowUp(FollowUp::None);
    ui_->labResult->setText(status);
    showReportView();
}

void FrmMain::offerFollowUp(FollowUp followUp) {
    // A tool without check scripts offers its run at all times.
    ui_->cmdRun->setVisible(followUp == FollowUp::Correction || offer_.runCaptioned);
    ui_->cmdSolution->setVisible(followUp == FollowUp::Solution);
}

void FrmMain::cmdCheck_Click() {
    if (!serverReachable(this, *session_)) {
        forgetFindings(texts::kStatusCheckFailed);
        return;
    }
    // Rows arrive while the scripts' result is read; they go into a new model
    // shown at once.
    ResultFeed feed;
    connect(&feed, &ResultFeed::modelStarted, this, [this](ResultModel* model) {
        showInGrid(model);
        showGridView();
    });
    WindowRunRecording recording(this, *session_, history::RunKind::Check, historyPath_);
    recording_ = &recording;
    const CheckOutcome outcome = workbench_.check(recording.recorder().recording(feed.receiver()));
    recording_ = nullptr;
    std::unique_ptr<ResultModel> incoming = feed.finish();
    recording.finish(history::checkRunEnd(outcome));

    if (outcome.kind != CheckOutcome::Kind::Finished) {
        // Whatever an earlier check found may have changed since.
        if (outcome.kind == CheckOutcome::Kind::NoResultTable) {
            forgetFindings(Workbench::checkStatus(outcome));
            return;
        }
        const QString failure = texts::runFailureText(outcome.failure);
        ui_->txtReport->setPlainText(failure);
        forgetFindings(outcome.failure.kind == RunOutcome::Kind::Cancelled ? texts::kStatusCheckCancelled
                                                                           : texts::kStatusCheckFailed);
        if (outcome.failure.kind != RunOutcome::Kind::Cancelled) showMessage(this, MessageIcon::Exclamation, failure);
        return;
    }
    showInGrid(incoming.get());
    result_ = std::move(incoming);
    FitColumnsToHeader(*ui_->grdCheck);
    ui_->labResult->setText(Workbench::checkStatus(outcome));
    offerFollowUp(Workbench::followUp(offer_.projectType, outcome.findings));
    showGridView();
}

void FrmMain::cmdRun_Click() {
    if (serverReachable(this, *session_))
        runCorrection(CorrectionMode::Transaction);
    else
        forgetFindings(texts::kStatusCorrectionFailed);
}

void FrmMain::runCorrection(CorrectionMode mode) {
    // The rows the re-check still finds wait in the feed until the outcome
    // is known: the grid changes only for a correction that was kept.
    ResultFeed feed;
    WindowRunRecording recording(this, *session_, history::RunKind::Correct, historyPath_);
    recording_ = &recording;
    Correction correction = workbench_.correct(offer_.projectType, feed.receiver(), mode);
    recording_ = nullptr;
    std::unique_ptr<ResultModel> remaining = feed.finish();
    if (correction.awaitsDecision()) {
        CorrectionPreviewDialog preview(correction.outcome(), texts::correctionTarget(*session_), previewUndoAfter_,
                                        this);
        if (Dialogs::current().exec(preview) == QDialog::Accepted)
            correction.commit();
        else
            correction.rollback();
    }
    recording.finish(history::correctionRunEnd(correction.outcome()));
    switch (correction.outcome().kind) {
        case CorrectionOutcome::Kind::NotOffered:
            showReportView();
            return;
        case CorrectionOutcome::Kind::Unreadable:
            showMessage(this, MessageIcon::Exclamation, correction.outcome().run.message);
            return;
        case CorrectionOutcome::Kind::NeedsNoTransaction:
            ui_->txtReport->setPlainText(texts::correctionReport(correction.outcome()));
            showReportView();
            if (askYesNo(this, texts::correctionTarget(*session_) + QLatin1Char('\n') +
                                   texts::askRunWithoutTransaction(correction.outcome())))
                runCorrection(CorrectionMode::EachBatchKept);
            return;
        default:
            break;
    }
    showCorrection(correction.outcome(), std::move(remaining));
}

void FrmMain::showCorrection(const CorrectionOutcome& outcome, std::unique_ptr<ResultModel> remaining) {
    ui_->txtReport->setPlainText(texts::correctionReport(outcome));
    const bool kept = outcome.kind == CorrectionOutcome::Kind::Ran && outcome.changes == CorrectionChanges::Kept;
    if (!kept) {
        // The ledger is as before, or may be changed: the findings the grid
        // showed are no longer known to be current; a check tells.
        forgetFindings(texts::correctionStatus(outcome));
        return;
    }
    ui_->labResult->setText(texts::correctionStatus(outcome));
    if (outcome.after.value_or(0) == 0) {
        ui_->cmdRun->hide();
        showReportView();
        return;
    }
    // Findings remain: the grid shows them, as after a check that found them.
    showInGrid(remaining.get());
    result_ = std::move(remaining);
    FitColumnsToHeader(*ui_->grdCheck);
    showGridView();
}

void FrmMain::cmdSolution_Click() {
    if (Workbench::projectTypeNumber(offer_.projectType) != 1.0) return;
    ui_->labResult->setText(texts::kStatusSolution);
    ui_->txtReport->setPlainText(workbench_.solution());
    showReportView();
}

void FrmMain::cmdReadme_Click() {
    ui_->txtReport->setPlainText(workbench_.readme());
    ui_->labResult->setText(texts::kStatusReadme);
    showReportView();
}

void FrmMain::cmdBeWrite_Click() {
    ShowBewriteViewer(viewer_, session_->cnTool, session_->gToolFolder);
}

void FrmMain::cmdAbout_Click() {
    FrmAbout about(this);
    Dialogs::current().exec(about);
}

void FrmMain::showSweep() {
    showSweepWindow(*session_, this);
}

void FrmMain::showHistory() {
    if (!history_) {
        history_ = new HistoryWindow(historyPath_, session_->gDatabaseName, this);
        history_->setWindowFlag(Qt::Window);
        history_->setAttribute(Qt::WA_DeleteOnClose);
        centreOn(*history_, *this);
    } else {
        history_->reload();  // runs made since it was opened
    }
    history_->show();
    history_->raise();
    history_->activateWindow();
}

RunOutcome FrmMain::runRecorded(const QString& title, const RunWork& work) {
    return runWithProgress(this, title, [this, &work](RunContext& run) {
        if (recording_) run.setScriptEnded(history::scriptRecording(recording_->recorder()));
        return work(run);
    });
}

// The window has no menu bar: its surface's right-click menu holds what the
// art buttons do not, each entry with a shortcut that works on the window.
void FrmMain::buildSurfaceMenu() {
    surfaceMenu_ = new QMenu(this);
    surfaceMenu_->setObjectName(QStringLiteral("surfaceMenu"));
    addSurfaceEntry(QStringLiteral("运行历史(&H)…"), QKeySequence(Qt::CTRL | Qt::Key_H), &FrmMain::showHistory);
    addSurfaceEntry(QStringLiteral("全部账套检查(&W)…"), QKeySequence(), &FrmMain::showSweep);
    setContextMenuPolicy(Qt::CustomContextMenu);
    connect(this, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& position) { surfaceMenu_->popup(mapToGlobal(position)); });
}

void FrmMain::addSurfaceEntry(const QString& text, const QKeySequence& shortcut, void (FrmMain::*handler)()) {
    auto* action = new QAction(text, this);
    action->setShortcut(shortcut);
    action->setShortcutContext(Qt::WindowShortcut);
    connect(action, &QAction::triggered, this, handler);
    addAction(action);
    surfaceMenu_->addAction(action);
}

void FrmMain::mousePressEvent(QMouseEvent* event) {
    if (startsWindowDrag(*this, event->button(), event->buttons(), event->position().toPoint()) && windowHandle())
        windowHandle()->startSystemMove();
    QWidget::mousePressEvent(event);
}

void FrmMain::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.drawPixmap(rect(), background_);
}

void FrmMain::installGridActions() {
    auto* copy = new QAction(QStringLiteral("复制(&C)"), ui_->grdCheck);
    copy->setShortcut(QKeySequence::Copy);
    copy->setShortcutContext(Qt::WidgetShortcut);
    connect(copy, &QAction::triggered, this, &FrmMain::copySelection);
    auto* exportCsv = new QAction(QStringLiteral("导出到 CSV 文件(&E)..."), ui_->grdCheck);
    connect(exportCsv, &QAction::triggered, this, &FrmMain::exportResult);
    ui_->grdCheck->addAction(copy);
    ui_->grdCheck->addAction(exportCsv);
}

void FrmMain::copySelection() {
    if (!result_) return;
    const QString text = selectionText(*result_, ui_->grdCheck->selectionModel()->selectedIndexes());
    if (!text.isEmpty()) QApplication::clipboard()->setText(text);
}

void FrmMain::exportResult() {
    if (!result_) return;
    const QString proposed = QDir(lastExportFolder())
                                 .filePath(proposedExportFileName(ui_->labFrmCaption->text(), session_->gDatabaseName,
                                                                  QDateTime::currentDateTime()));
    QFileDialog dialog(this, QStringLiteral("导出检查结果"), proposed, QStringLiteral("CSV 文件 (*.csv)"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QStringLiteral("csv"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    if (Dialogs::current().exec(dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
    const QString path = dialog.selectedFiles().constFirst();
    try {
        writeResultCsv(*result_, path);
    } catch (const Error& error) {
        showMessage(this, MessageIcon::Exclamation, error.message());
        return;
    }
    rememberExportFolder(QFileInfo(path).absolutePath());
    // A long path gives up its middle, so that the count and the file name stay in view.
    const QString confirmation = QStringLiteral("已导出 %1 条记录到 ").arg(result_->rowCount());
    const QFontMetrics metrics = ui_->labResult->fontMetrics();
    ui_->labResult->setText(confirmation +
                            metrics.elidedText(QDir::toNativeSeparators(path), Qt::ElideMiddle,
                                               ui_->labResult->width() - metrics.horizontalAdvance(confirmation)));
}

}  // namespace tallomar
