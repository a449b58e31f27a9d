#pragma once

#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>

namespace tallomar::test {

// A copy of the program, with the Access reader it opens tool databases
// with, in a folder of its own: its single-instance lock is its own, and
// there is no tool package beside it. It runs on the offscreen platform
// and remembers the packages it opens in a settings folder of its own.
class ProgramCopy {
public:
    ProgramCopy();

    QString executable() const { return executable_; }

    // Starts the copy with `arguments`; it then waits for the operator in its
    // first window or box until it is killed.
    std::unique_ptr<QProcess> start(const QStringList& arguments = {},
                                    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment()) const;

private:
    QTemporaryDir folder_;
    QString executable_;
};

}  // namespace tallomar::test
