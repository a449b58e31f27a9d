#pragma once

#include "logic/history/run_record.h"
#include "logic/workbench/result_model.h"

#include <QWidget>
#include <memory>
#include <vector>

namespace Ui {
class HistoryWindow;
}

class QStandardItemModel;

namespace tallomar {

// The run history: the runs newest first, those of the current database
// unless the operator unticks the filter, each with who ran it and, for a
// correction, its re-check's count and whether it was kept. Opening a check
// shows its findings below the list; two checks of one tool and database
// chosen, 比较(&D) shows which records were fixed, which remain and which
// are new.
class HistoryWindow : public QWidget {
    Q_OBJECT
public:
    HistoryWindow(QString historyPath, QString currentDatabase, QWidget* parent = nullptr);
    ~HistoryWindow() override;

    // Reads the runs again.
    void reload();

public slots:
    void grdRuns_Activated(const QModelIndex& index);
    void cmdCompare_Click();

private:
    void showChosenRuns();
    std::vector<const history::RunRecord*> chosenRuns() const;
    void showFindings(const QString& caption, std::unique_ptr<ResultModel> model);

    std::unique_ptr<Ui::HistoryWindow> ui_;
    QString historyPath_;
    QString currentDatabase_;
    std::vector<history::RunRecord> runs_;
    QStandardItemModel* runRows_;
    std::unique_ptr<ResultModel> findings_;
};

}  // namespace tallomar
