// tallomar-sandbox as a program: its options.
#include "support/program_run.h"

#include <gtest/gtest.h>

namespace tallomar::test {
namespace {

const QString kProgram = QStringLiteral(TALLOMAR_SANDBOX_PROGRAM);

TEST(SandboxProgram, APortOutsideTheTcpRangeIsRefusedWithTheUsage) {
    for (const QString& port : {QStringLiteral("65536"), QStringLiteral("99999"), QStringLiteral("-1")}) {
        const ProgramRun run = runProgram(kProgram, {QStringLiteral("--port"), port, QStringLiteral("--login"),
                                                     QStringLiteral("sa:")});
        EXPECT_EQ(run.exitCode, 2) << port.toStdString();
        EXPECT_TRUE(run.out.isEmpty()) << run.outText().toStdString();
        EXPECT_TRUE(run.err.startsWith(QStringLiteral("tallomar-sandbox: --port: '%1'").arg(port)))
            << run.err.toStdString();
        EXPECT_TRUE(run.err.contains(QStringLiteral("usage: tallomar-sandbox"))) << run.err.toStdString();
    }
}

}  // namespace
}  // namespace tallomar::test
