#include "program_copy.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace tallomar::test {

ProgramCopy::ProgramCopy() {
    const QDir built = QFileInfo(QStringLiteral(TALLOMAR_EXECUTABLE)).dir();
    executable_ = folder_.filePath(QStringLiteral("tallomar"));
    for (const QString& program : {QStringLiteral("tallomar"), QStringLiteral("tallomar-mdbread")})
        EXPECT_TRUE(QFile::copy(built.filePath(program), folder_.filePath(program))) << program.toStdString();
}

std::unique_ptr<QProcess> ProgramCopy::start(const QStringList& arguments, QProcessEnvironment environment) const {
    auto process = std::make_unique<QProcess>();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), folder_.filePath(QStringLiteral("config")));
    process->setProcessEnvironment(environment);
    process->start(executable_, arguments);
    EXPECT_TRUE(process->waitForStarted());
    return process;
}

}  // namespace tallomar::test
