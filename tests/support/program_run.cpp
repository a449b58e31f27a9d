#include "support/program_run.h"

#include <gtest/gtest.h>
#include <QProcess>

namespace tallomar::test {

ProgramRun runProgram(const QString& program, const QStringList& arguments, const QByteArray& input) {
    QProcess process;
    process.start(program, arguments);
    process.write(input);
    process.closeWriteChannel();
    if (!process.waitForFinished(60000)) {
        ADD_FAILURE() << program.toStdString() << " did not end: " << process.errorString().toStdString();
        process.kill();
        process.waitForFinished();
        return {};
    }
    if (process.exitStatus() == QProcess::CrashExit) {
        ADD_FAILURE() << program.toStdString() << " crashed";
        return {};
    }
    return {process.exitCode(), process.readAllStandardOutput(), QString::fromUtf8(process.readAllStandardError())};
}

}  // namespace tallomar::test
