#include "windows/workbench/frm_main.h"

#include "platform/ui/dialogs.h"
#include "platform/error.h"
#include "ui_frm_main.h"
#include "windows/sweep/frm_sweep.h"
#include "windows/viewer/bewrite_viewer.h"
#include "windows/workbench/column_fit.h"
#include "windows/workbench/frm_about.h"
#include "logic/workbench/result_export.h"
#include "logic/workbench/result_feed.h"
#include "logic/workbench/result_model.h"
#include "windows/workbench/run_progress.h"
#include "windows/workbench/window_drag.h"
#include "windows/workbench/workbench_art.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFileDialog>
#include <QHeaderView>
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
    {"cmdCheck", "check"},     {"cmdRun", "run"},       {"cmdSolution", "solution"},
    {"cmdBeWrite", "bewrite"}, {"cmdReadme", "readme"}, {"cmdAbout", "about"},
    {"cmdCancel", "cancel"},
};

QString pictureButtonStyle(const QString& widget, const QString& art) {
    const QString selector = QStringLiteral("QPushButton#") + widget;
    auto state = [&](const char* pseudo, const char* suffix) {
        return selector + QLatin1String(pseudo) + QStringLiteral(" { border-image: url(") +
               artPath(art + QLatin1String(suffix)) + QStringLiteral("); }\n");
    };
    return state("", "_normal") + state(":pressed", "_pressed") + state(":disabled", "_disabled");
}

}  // namespace

FrmMain::FrmMain(std::shared_ptr<Session> session) : FrmMain(std::move(session), std::nullopt) {}

FrmMain::FrmMain(std::shared_ptr<Session> session, std::optional<ToolReads> reads)
    : ui_(std::make_unique<Ui::FrmMain>()), session_(std::move(session)),
      workbench_(*session_, reads ? std::move(*reads) : ToolReads::of(*session_->cnTool),
                 [this](const QString& title, const RunWork& work) { return runWithProgress(this, title, work); }) {
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
    installWindowMenu();

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
    projectType_ = offer.projectType;
    ui_->labFrmCaption->setText(offer.title);
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

void FrmMain::cmdCheck_Click() {
    // Rows arrive while the scripts' result is read; they go into a new model
    // shown at once, and the window goes back to how it was if the run fails.
    const bool wasGridView = !ui_->grdCheck->isHidden();
    ResultFeed feed;
    connect(&feed, &ResultFeed::modelStarted, this, [this](ResultModel* model) {
        showInGrid(model);
        showGridView();
    });
    const CheckOutcome outcome = workbench_.check(feed.receiver());
    std::unique_ptr<ResultModel> incoming = feed.finish();

    if (outcome.kind != CheckOutcome::Kind::Finished) {
        showInGrid(result_.get());
        if (!wasGridView) showReportView();
        if (outcome.kind == CheckOutcome::Kind::Failed)
            showMessage(this, MessageIcon::Exclamation, outcome.failure.message);
        else
            ui_->labResult->setText(Workbench::checkStatus(outcome));
        return;
    }
    showInGrid(incoming.get());
    result_ = std::move(incoming);
    FitColumnsToHeader(*ui_->grdCheck);
    ui_->labResult->setText(Workbench::checkStatus(outcome));
    ui_->cmdRun->hide();
    ui_->cmdSolution->hide();
    switch (Workbench::followUp(projectType_, outcome.findings)) {
    case FollowUp::Correction: ui_->cmdRun->show(); break;
    case FollowUp::Solution: ui_->cmdSolution->show(); break;
    case FollowUp::None: break;
    }
    showGridView();
}

void FrmMain::cmdRun_Click() {
    const CorrectionOutcome outcome = workbench_.correct(projectType_);
    switch (outcome.kind) {
    case CorrectionOutcome::Kind::NotOffered: break;
    case CorrectionOutcome::Kind::Failed:
        showMessage(this, MessageIcon::Exclamation, outcome.run.message);
        return;
    case CorrectionOutcome::Kind::Finished:
        if (!outcome.run.succeeded()) {
            ui_->txtReport->setPlainText(texts::runErrorsReport(outcome.run));
        } else {
            ui_->txtReport->setPlainText(texts::kReportRepaired);
            ui_->labResult->setText(texts::kStatusRepaired);
            ui_->cmdRun->hide();
        }
        break;
    }
    showReportView();
}

void FrmMain::cmdSolution_Click() {
    if (Workbench::projectTypeNumber(projectType_) != 1.0) return;
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

void FrmMain::mousePressEvent(QMouseEvent* event) {
    if (startsWindowDrag(*this, event->button(), event->buttons(), event->position().toPoint()) &&
        windowHandle())
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

// The window's own right-click menu; the grid keeps its menu of copy and export.
void FrmMain::installWindowMenu() {
    setContextMenuPolicy(Qt::ActionsContextMenu);
    auto* sweep = new QAction(QStringLiteral("全部账套检查(&W)…"), this);
    connect(sweep, &QAction::triggered, this, [this] { showSweepWindow(*session_, this); });
    addAction(sweep);
}

void FrmMain::copySelection() {
    if (!result_) return;
    const QString text = selectionText(*result_, ui_->grdCheck->selectionModel()->selectedIndexes());
    if (!text.isEmpty()) QApplication::clipboard()->setText(text);
}

void FrmMain::exportResult() {
    if (!result_) return;
    QFileDialog dialog(this, QStringLiteral("导出检查结果"), QString(), QStringLiteral("CSV 文件 (*.csv)"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QStringLiteral("csv"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    if (Dialogs::current().exec(dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
    try {
        writeResultCsv(*result_, dialog.selectedFiles().constFirst());
    } catch (const Error& error) {
        showMessage(this, MessageIcon::Exclamation, error.message());
    }
}

}  // namespace tallomar
