#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace tallomar::test {

// What one of our command-line programs did: its exit status and output.
struct ProgramRun {
    int exitCode = -1;
    QByteArray out;
    QString err;

    QString outText() const { return QString::fromUtf8(out); }
};

// Runs `program` with `arguments`, writes `input` to its stdin and waits for
// it to end (a program still running after a minute counts as failed).
ProgramRun runProgram(const QString& program, const QStringList& arguments, const QByteArray& input = {});

}  // namespace tallomar::test
