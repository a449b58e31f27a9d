#pragma once

#include "logic/workbench/result_model.h"
#include "logic/workbench/workbench.h"
#include "session/session.h"

#include <QPixmap>
#include <QPointer>
#include <QWidget>
#include <chrono>
#include <memory>
#include <optional>

class QMenu;

namespace Ui {
class FrmMain;
}

namespace tallomar {

class FrmBewrite;
class HistoryWindow;
class WindowRunRecording;

// The operator's workbench once the login has succeeded: the tool's title
// and description, the check run with its result grid, the correction run,
// the help texts, the problem-description viewer and the about box. A
// borderless window dragged by its surface, whose right-click menu leads to
// the run history. Every check and correction run is recorded there. The
// work itself is done by Workbench; this class only shows its outcomes.
class FrmMain : public QWidget {
    Q_OBJECT
public:
    // Keeps the session (the program gives it no other owner, so it ends
    // with the window): reads its tool database cnTool and runs scripts on
    // its cnAccount.
    explicit FrmMain(std::shared_ptr<Session> session);
    // The same window over other tool-database reads (none: the session's).
    FrmMain(std::shared_ptr<Session> session, std::optional<ToolReads> reads);
    ~FrmMain() override;

    // The result grid's rows; null before the first check with a result.
    const ResultModel* resultModel() const { return result_.get(); }
    // The menu the window's surface opens on a right click.
    QMenu* surfaceMenu() const { return surfaceMenu_; }
    // How long the question after a correction waits before it undoes.
    void setPreviewUndoAfter(std::chrono::milliseconds undoAfter) { previewUndoAfter_ = undoAfter; }

public slots:
    void cmdCheck_Click();
    void cmdRun_Click();
    void cmdSolution_Click();
    void cmdReadme_Click();
    void cmdBeWrite_Click();
    void cmdAbout_Click();
    void showHistory();
    void showSweep();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void LoadTool();
    void ShowToolDescription();
    void showReportView();
    void showGridView();
    void styleButtons();
    void installGridActions();
    void copySelection();
    void exportResult();
    void showInGrid(ResultModel* model);
    // No findings are current any more (a check or correction that did not
    // complete, an undone correction): the grid empties, the follow-up
    // buttons go, and the status says why.
    void forgetFindings(const QString& status);
    void offerFollowUp(FollowUp followUp);
    void buildSurfaceMenu();
    void addSurfaceEntry(const QString& text, const QKeySequence& shortcut, void (FrmMain::*handler)());
    RunOutcome runRecorded(const QString& title, const RunWork& work);
    void runCorrection(CorrectionMode mode);
    void showCorrection(const CorrectionOutcome& outcome, std::unique_ptr<ResultModel> remaining);

    std::unique_ptr<Ui::FrmMain> ui_;
    std::shared_ptr<Session> session_;
    Workbench workbench_;
    ToolOffer offer_;
    std::unique_ptr<ResultModel> result_;
    QPointer<FrmBewrite> viewer_;
    QPointer<HistoryWindow> history_;
    QMenu* surfaceMenu_ = nullptr;
    QString historyPath_;
    // The run being recorded while its scripts run; null between runs.
    WindowRunRecording* recording_ = nullptr;
    QPixmap background_;
    std::chrono::milliseconds previewUndoAfter_;
};

}  // namespace tallomar
