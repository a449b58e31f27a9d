#include "windows/login/frm_login.h"

#include "platform/ui/chinese_ui.h"
#include "ui_frm_login.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFocusEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QThreadPool>
#include <QtConcurrent/QtConcurrentRun>
#include <limits>

// Resources of a static library register only when asked for by name, and
// the call must stand outside any namespace.
static void registerLoginResources() {
    Q_INIT_RESOURCE(login);
}

namespace tallomar {

namespace {

// labReport's place in the form, for a status of one line.
constexpr int kReportTop = 240;

// The caption labels and the server box use 宋体 at 10.5 points.
void useSongTypeface(QWidget* widget) {
    UseSongTypeface(widget);
    QFont font = widget->font();
    font.setPointSizeF(10.5);
    widget->setFont(font);
}

void showList(QComboBox* combo, const ComboList& list) {
    QStringList shown;
    for (int i = 0; i < combo->count(); ++i) shown << combo->itemText(i);
    if (shown != list.items) {
        combo->clear();
        combo->addItems(list.items);
    }
    combo->setCurrentIndex(list.current);
}

// The character a key press gives the server box; null for keys that give none
// (arrows, function keys, Delete) and for Tab, which moves the focus: the
// box's key handler never sees those. Escape and Ctrl with a letter (Ctrl+V
// pastes) give control characters and count as typed.
QChar typedCharacter(const QKeyEvent& key) {
    switch (key.key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return QLatin1Char('\r');
        case Qt::Key_Backspace:
            return QLatin1Char('\b');
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
        case Qt::Key_Delete:
            return {};
        default:
            break;
    }
    const QString text = key.text();
    if (text.isEmpty()) return {};
    const QChar character = text.at(0);
    return character.isPrint() || character.unicode() < 0x20 ? character : QChar();
}

// Runs `work` on a thread of its own that nothing waits for: neither a
// window closed while the server keeps the work waiting nor the end of the
// program is held up by it. The threads are Qt's, of a pool that is never
// destroyed (so the end of the program does not wait for them, as it waits
// for Qt's global pool) and never makes work queue behind a waiting step. A
// plain std::thread that ended a QPromise crashed in Qt Core on Windows.
// The future tells when the work has ended.
QFuture<void> runDetached(std::function<void()> work) {
    static QThreadPool* const pool = [] {
        auto* threads = new QThreadPool;
        threads->setMaxThreadCount(std::numeric_limits<int>::max());
        return threads;
    }();
    return QtConcurrent::run(pool, std::move(work));
}

}  // namespace

FrmLogin::FrmLogin(std::unique_ptr<Session> session, HandOver openMainWindow, QWidget* parent)
    : QWidget(parent),
      ui_(std::make_unique<Ui::frmLogin>()),
      session_(std::move(session)),
      prompts_(this),
      logic_(*session_, prompts_),
      openMainWindow_(std::move(openMainWindow)) {
    static const bool registered = (registerLoginResources(), true);
    Q_UNUSED(registered);
    ui_->setupUi(this);
    setFixedSize(size());
    for (QWidget* widget :
         {static_cast<QWidget*>(ui_->Label1), static_cast<QWidget*>(ui_->Label6), static_cast<QWidget*>(ui_->Label5),
          static_cast<QWidget*>(ui_->labYear), static_cast<QWidget*>(ui_->txtServerName)})
        useSongTypeface(widget);
    for (QLabel* label : {ui_->Label1, ui_->Label6, ui_->Label5, ui_->labYear}) label->adjustSize();
    ui_->cmdCancel->setFocus();

    connect(ui_->cmdCancel, &QPushButton::clicked, this, &QWidget::close);
    connect(ui_->cmdPassword, &QPushButton::clicked, this, [this] { handle([this] { logic_.cmdPasswordClick(); }); });
    connect(ui_->cmdOK, &QPushButton::clicked, this, &FrmLogin::cmdOK_Click);
    connect(ui_->cboSoft, &QComboBox::activated, this,
            [this](int index) { handle([&] { logic_.selectSoft(index); }); });
    connect(ui_->cboZT, &QComboBox::activated, this,
            [this](int index) { handle([&] { logic_.selectAccount(index); }); });
    connect(ui_->cboYear, &QComboBox::activated, this,
            [this](int index) { handle([&] { logic_.selectYear(index); }); });
    ui_->txtServerName->installEventFilter(this);
    connect(&step_, &QFutureWatcher<void>::finished, this, &FrmLogin::backgroundStepEnded);

    Form_Load();
}

FrmLogin::~FrmLogin() = default;

void FrmLogin::Form_Load() {
    // A saved server that does not answer keeps the first connection waiting
    // up to the login timeout: the window shows meanwhile, saying it is
    // connecting.
    handle([this] { logic_.LoadLoginLists(); });
}

void FrmLogin::cmdOK_Click() {
    handle([this] { logic_.cmdOKClick(); });
}

void FrmLogin::startBackgroundStep() {
    std::optional<LoginLogic::BackgroundStep> step = logic_.takeBackgroundStep();
    if (!step) return;
    stepThen_ = std::move(step->then);
    step_.setFuture(runDetached(std::move(step->work)));
}

void FrmLogin::backgroundStepEnded() {
    // A closed window has abandoned the step; its work ended on its own.
    if (!stepThen_) return;
    apply(std::exchange(stepThen_, nullptr));
    if (logic_.loggedIn()) {
        // The main window is shown before this one closes, so the program
        // never sees a moment without a window and keeps running. The logic
        // is not called again once the session has gone.
        if (openMainWindow_) openMainWindow_(std::move(session_));
        close();
        return;
    }
    if (connecting()) return;
    emit connectionEnded();
    if (std::exchange(confirmAfterStep_, false)) cmdOK_Click();
}

void FrmLogin::closeEvent(QCloseEvent* event) {
    stepThen_ = nullptr;
    confirmAfterStep_ = false;
    QWidget::closeEvent(event);
}

template <typename Handler>
void FrmLogin::handle(Handler&& handler) {
    // After the hand-over the session belongs to the main window: the focus
    // leaving the server box while this window closes must not touch it.
    // While a connection is being made, the login waits for it.
    if (!session_ || connecting()) return;
    apply(std::forward<Handler>(handler));
}

template <typename Handler>
void FrmLogin::apply(Handler&& handler) {
    LoginScreen& screen = logic_.screen();
    screen.serverText = ui_->txtServerName->text();
    screen.saveSettings = ui_->chkSave->isChecked();
    handler();
    render();
    startBackgroundStep();
}

void FrmLogin::render() {
    const LoginScreen& screen = logic_.screen();
    const QSignalBlocker blockSoft(ui_->cboSoft), blockZT(ui_->cboZT), blockYear(ui_->cboYear);
    if (ui_->txtServerName->text() != screen.serverText) ui_->txtServerName->setText(screen.serverText);
    ui_->cmdPassword->setVisible(screen.passwordButtonVisible);
    showList(ui_->cboSoft, screen.soft);
    showList(ui_->cboZT, screen.account);
    showList(ui_->cboYear, screen.year);
    ui_->labYear->setVisible(screen.yearVisible);
    ui_->cboYear->setVisible(screen.yearVisible);
    ui_->cmdOK->setEnabled(screen.okEnabled && !screen.connecting);
    ui_->chkSave->setChecked(screen.saveSettings);
    for (QWidget* input : {static_cast<QWidget*>(ui_->txtServerName), static_cast<QWidget*>(ui_->cmdPassword),
                           static_cast<QWidget*>(ui_->cboSoft), static_cast<QWidget*>(ui_->cboZT),
                           static_cast<QWidget*>(ui_->cboYear), static_cast<QWidget*>(ui_->chkSave)})
        input->setEnabled(!screen.connecting);
    if (screen.connecting)
        setCursor(Qt::BusyCursor);
    else
        unsetCursor();
    // A failure shows its first line and the first line of the driver's
    // reason, which grows the status line upwards into the gap above the
    // buttons; the rest of the driver's words are in its tooltip.
    const QStringList lines = screen.report.split(QLatin1Char('\n'));
    ui_->labReport->setText(lines.mid(0, 2).join(QLatin1Char('\n')));
    ui_->labReport->setToolTip(lines.size() > 2 ? screen.report : QString());
    ui_->labReport->adjustSize();
    ui_->labReport->move(ui_->labReport->x(), std::min(kReportTop, ui_->cmdOK->y() - 2 - ui_->labReport->height()));
}

bool FrmLogin::eventFilter(QObject* watched, QEvent* event) {
    if (watched != ui_->txtServerName) return QWidget::eventFilter(watched, event);
    switch (event->type()) {
        case QEvent::KeyPress: {
            const QChar key = typedCharacter(*static_cast<QKeyEvent*>(event));
            if (!key.isNull()) handle([&] { logic_.txtServerNameKeyPress(key); });
            break;
        }
        case QEvent::InputMethod:
            // Text composed by an input method arrives as characters typed.
            for (const QChar key : static_cast<QInputMethodEvent*>(event)->commitString())
                handle([&] { logic_.txtServerNameKeyPress(key); });
            break;
        case QEvent::FocusOut: {
            // Only focus moving to another control of this window counts: a
            // message box or another application taking the focus does not.
            const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
            if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason) break;
            // A click on 确认 (or its shortcut) takes the focus first; when that
            // starts a reload, the button is disabled before it sees the click,
            // so the login is run once the lists are loaded, after the focus
            // handler, as the click would have run.
            const bool confirming = QApplication::focusWidget() == ui_->cmdOK &&
                                    (reason == Qt::MouseFocusReason || reason == Qt::ShortcutFocusReason);
            handle([this] { logic_.txtServerNameLostFocus(); });
            if (confirming && connecting()) confirmAfterStep_ = true;
            break;
        }
        default:
            break;
    }
    return false;
}

}  // namespace tallomar
