#pragma once

#include "logic/workbench/workbench.h"

#include <QPixmap>
#include <QWidget>
#include <memory>

namespace Ui { class FrmMain; }

namespace tallomar {

class ResultModel;

// The operator's workbench once the login has succeeded: the tool's title
// and description, the check run with its result grid, the correction run,
// the help texts, the problem-description viewer and the about box. A
// borderless window dragged by its surface. The work itself is done by
// Workbench; this class only shows its outcomes.
class FrmMain : public QWidget {
    Q_OBJECT
public:
    // Reads the tool database cnTool and runs scripts on cnAccount.
    FrmMain();
    // The same window over other tool-database reads.
    explicit FrmMain(ToolReads reads);
    ~FrmMain() override;

    // The result grid's rows; null before the first check with a result.
    const ResultModel* resultModel() const { return result_; }

public slots:
    void cmdCheck_Click();
    void cmdRun_Click();
    void cmdSolution_Click();
    void cmdReadme_Click();
    void cmdBeWrite_Click();
    void cmdAbout_Click();

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
    // Puts a result model in the grid, deleting the one it replaces.
    void setResult(ResultModel* model);

    std::unique_ptr<Ui::FrmMain> ui_;
    Workbench workbench_;
    QString mProjectType;
    ResultModel* result_ = nullptr;
    QPixmap background_;
};

}  // namespace tallomar
