#pragma once

#include "logic/sweep/sweep_run.h"
#include "session/session.h"

#include <QWidget>
#include <memory>
#include <thread>

namespace Ui {
class FrmSweep;
}

namespace tallomar {

// The sweep of every account set and year of the logged-in edition: a row
// per database with its status, finding count and failure, filled in as
// the checks end; 开始 starts it, 停止 cancels it. Double-clicking a row
// shows that database's findings in a grid. The sweep runs on threads of
// its own, so the window stays responsive.
class FrmSweep : public QWidget {
    Q_OBJECT
public:
    // Sweeps the server, edition and package of `login`, which it copies.
    explicit FrmSweep(const Session& login, QWidget* parent = nullptr);
    ~FrmSweep() override;

    // The checks so far, one per row.
    const QList<DatabaseCheck>& checks() const { return checks_; }

public slots:
    void cmdStart_Click();
    void cmdStop_Click();

signals:
    // The sweep ended, completely, cancelled or because listing failed.
    void sweepEnded();

private:
    void listed(const QList<SweepTarget>& targets);
    void showCheck(int index, const DatabaseCheck& check);
    void ended(const QString& status);
    void showFindings(int row);

    std::unique_ptr<Ui::FrmSweep> ui_;
    Session login_;
    QList<DatabaseCheck> checks_;
    std::unique_ptr<SweepRun> sweep_;
    bool stopRequested_ = false;
    QString historyWarning_;  // why the run history could not keep the checks
    std::jthread worker_;
};

// Opens the sweep window for the session's edition, beside `parent`.
void showSweepWindow(const Session& login, QWidget* parent);

}  // namespace tallomar
