#pragma once

#include <QDialog>
#include <QElapsedTimer>
#include <QTimer>
#include <memory>

namespace Ui {
class frmRunProgress;
}

namespace tallomar {

class RunContext;

// The modal box shown while a run works off the user-interface thread: the
// script, the batch and the time elapsed, refreshed a few times a second
// from the run's context, and a Cancel button. Closing the box (Esc, the
// title bar) asks to cancel as the button does; the box closes only when the
// work has ended (workFinished()), so the operator never loses sight of a
// run still going.
class RunProgressDialog : public QDialog {
    Q_OBJECT
public:
    RunProgressDialog(RunContext& context, const QString& title, QWidget* parent = nullptr);
    ~RunProgressDialog() override;

    void reject() override;

public slots:
    // The work has ended: the box closes with Accepted.
    void workFinished();

private:
    void refresh();

    std::unique_ptr<Ui::frmRunProgress> ui_;
    RunContext& context_;
    QElapsedTimer elapsed_;
    QTimer refreshTimer_;
};

}  // namespace tallomar
