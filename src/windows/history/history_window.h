#pragma once

#include "logic/history/findings_view.h"

#include <QWidget>
#include <memory>

class QLabel;
class QLineEdit;
class QStandardItemModel;
class QTableView;

namespace tallomar {

// The run history: the runs newest first (those of one database unless the
// filter is cleared), and below them the findings of the chosen check or
// what changed between two chosen checks.
class HistoryWindow : public QWidget {
    Q_OBJECT
public:
    HistoryWindow(QString historyPath, const QString& database, QWidget* parent = nullptr);
    ~HistoryWindow() override;

    // Reads the runs again, for the database in the filter box.
    void reload();

private:
    void showChosen();

    QString historyPath_;
    QLineEdit* database_;
    QTableView* runs_;
    QStandardItemModel* runRows_;
    QLabel* caption_;
    QTableView* findings_;
    std::unique_ptr<ResultModel> findingsModel_;
};

}  // namespace tallomar
