#pragma once

#include <QString>
#include <functional>
#include <mutex>

namespace tallomar {

namespace odbc {
class Statement;
}
struct RunOutcome;

// What a long run (scripts, result fetches) shares with its progress dialog:
// the work reports where it is, the dialog shows it and passes on the
// operator's Cancel. Every member may be called from any thread.
class RunContext {
public:
    // The failure text of a run the operator stopped.
    static QString cancelledText();

    // Work side: the script now running (its batch number starts again at 0)
    // and the batch now sent.
    void showScript(const QString& name);
    void showBatch(int number);
    // True once the operator asked to stop: the work sends nothing more and
    // returns cancelledText().
    bool cancelRequested() const;
    // A script of the run ended: its file on this file system and how it
    // ended. Called on the thread doing the work.
    void scriptEnded(const QString& path, const RunOutcome& outcome) const;

    // While a scope lives, a Cancel also interrupts the statement's running
    // batch on the server. A Cancel that came before the scope opened
    // interrupts the statement at once.
    class StatementScope {
    public:
        StatementScope(RunContext* context, odbc::Statement& statement);
        ~StatementScope();
        StatementScope(const StatementScope&) = delete;
        StatementScope& operator=(const StatementScope&) = delete;

    private:
        RunContext* context_;
    };

    // Owner side, before the work starts: who hears of each script's end
    // (the run history).
    using ScriptEnded = std::function<void(const QString& path, const RunOutcome& outcome)>;
    void setScriptEnded(ScriptEnded listener);

    // Dialog side.
    void cancel();
    struct Progress {
        QString script;
        int batch = 0;
    };
    Progress progress() const;

private:
    mutable std::mutex mutex_;
    Progress progress_;
    bool cancelRequested_ = false;
    odbc::Statement* statement_ = nullptr;
    ScriptEnded scriptEnded_;
};

}  // namespace tallomar
