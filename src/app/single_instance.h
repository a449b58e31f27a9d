#pragma once

#include <QLockFile>
#include <QString>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>

class QLocalServer;

namespace tallomar {

// Without XDG_RUNTIME_DIR, points it at the user's runtime folder
// (userRuntimeFolder), so that Qt on Linux, which looks there while the
// application object is made, neither warns nor uses a folder of its own.
// Called before the application object exists.
void ProvideRuntimeFolder();

// Holds a per-user lock for one installation of the program (its executable
// path) for as long as the object lives. A lock left behind by a killed
// process is taken over at once. The lock is kept in the user's runtime
// folder (userRuntimeFolder). Beside it
// the holder listens on a local socket, through which a later start asks it
// to bring its window to the front and learns which tool package it has open.
class SingleInstance {
public:
    explicit SingleInstance(const QString& executablePath);
    ~SingleInstance();

    // True when no other running copy holds the lock; this copy then holds
    // it and, while its event loop runs, calls `activate` for every later
    // start that asks.
    bool acquire(std::function<void()> activate = {});

    // The tool package folder this copy has open, which it tells every later
    // start that asks; empty text until one is open.
    void setPackageFolder(const QString& folder);

    // For a later start: asks the copy holding the lock to activate its
    // window. The package folder that copy has open (empty text when it has
    // none open yet) once it has answered; nothing when it did not answer
    // within `wait`.
    std::optional<QString> activateRunningCopy(std::chrono::milliseconds wait) const;

private:
    void answer();

    std::unique_ptr<QLockFile> lock_;
    QString socketPath_;  // empty when there is no lock
    std::unique_ptr<QLocalServer> server_;
    std::function<void()> activate_;
    QString packageFolder_;
};

}  // namespace tallomar
