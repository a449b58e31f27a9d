#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>

// Runs work that may crash, hang or flood its output (a library reading
// untrusted files) in a helper program of its own, with a time limit, an
// address-space limit and a cap on what it prints. Whatever happens to the
// helper, the caller gets an outcome within the time limit and carries on.
//
// A fresh program rather than a fork of the caller: forking a process with a
// large heap makes both sides fault on every heap page they write afterwards,
// which costs more than starting a small program.
namespace tallomar::mdb {

struct ContainedLimits {
    int timeoutMs = 10'000;
    qsizetype maxMessageBytes = 64 * 1024;  // what the helper prints on stdout and stderr
};

struct ContainedOutcome {
    enum class End { Finished, Failed, Crashed, OutOfMemory, TimedOut, Flooded };
    End end = End::Finished;
    QByteArray result;    // Finished: what the work returned
    QString failure;      // Failed: the message of the Error the work threw
    QString crash;        // Crashed: what ended the helper ("Segmentation fault"); empty when it ended without a result
    QByteArray messages;  // what the helper printed, at most maxMessageBytes, without step notes
    QString step;         // the step of the first message, else the last step (see ContainedStep)
};

// Lets the work in the helper say what it is doing, so that a crash or hang
// can be put down to it ("table File").
using ContainedStep = std::function<void(const QString&)>;

// In the caller: starts `program` with `arguments` and waits for its outcome.
// Throws Error only when the program cannot be started at all.
ContainedOutcome runContained(const QString& program, const QStringList& arguments, const ContainedLimits& limits);

// Where the work in the helper writes its result, piece by piece as it goes.
using ContainedOutput = std::function<void(const QByteArray& piece)>;

// In the helper program's main(): limits the memory it may take to
// `extraAddressSpace` bytes beyond what it holds now (the address space on
// POSIX systems, the committed memory on Windows), runs `work` and hands
// its result (what it wrote to the output) or its Error back to runContained.
// Returns the exit status.
int serveContained(quint64 extraAddressSpace,
                   const std::function<void(const ContainedStep&, const ContainedOutput&)>& work);

}  // namespace tallomar::mdb
