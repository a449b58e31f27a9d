// tallomar-sandbox as a program: its options, and the line on stderr by
// which each injected fault shows that a run met it.
#include "odbc_client.h"
#include "support/program_run.h"
#include "support/sandbox_server.h"

#include <gtest/gtest.h>
#include <QProcess>
#include <QRegularExpression>
#include <csignal>

namespace tallomar::test {
namespace {

const QString kProgram = QStringLiteral(TALLOMAR_SANDBOX_PROGRAM);

TEST(SandboxProgram, APortOutsideTheTcpRangeIsRefusedWithTheUsage) {
    for (const QString& port : {QStringLiteral("65536"), QStringLiteral("99999"), QStringLiteral("-1")}) {
        const ProgramRun run =
            runProgram(kProgram, {QStringLiteral("--port"), port, QStringLiteral("--login"), QStringLiteral("sa:")});
        EXPECT_EQ(run.exitCode, 2) << port.toStdString();
        EXPECT_TRUE(run.out.isEmpty()) << run.outText().toStdString();
        EXPECT_TRUE(run.err.startsWith(QStringLiteral("tallomar-sandbox: --port: '%1'").arg(port)))
            << run.err.toStdString();
        EXPECT_TRUE(run.err.contains(QStringLiteral("usage: tallomar-sandbox"))) << run.err.toStdString();
    }
}

TEST(SandboxProgram, EachFaultThatFiresIsToldOnStderrAndOneNeverReachedIsNot) {
    QProcess sandbox;
    sandbox.start(kProgram, {QStringLiteral("--login"), QStringLiteral("sa:Sandbox#1"), QStringLiteral("--fail-batch"),
                             QStringLiteral("2:50001:refused by the test"), QStringLiteral("--delay-batch"),
                             QStringLiteral("3:1"), QStringLiteral("--drop-batch"), QStringLiteral("4"),
                             QStringLiteral("--drop-batch"), QStringLiteral("40")});
    ASSERT_TRUE(sandbox.waitForReadyRead(10000)) << sandbox.errorString().toStdString();
    const QRegularExpressionMatch listening =
        QRegularExpression(QStringLiteral("^listening on 127\\.0\\.0\\.1 port (\\d+)\\n"))
            .match(QString::fromUtf8(sandbox.readAllStandardOutput()));
    ASSERT_TRUE(listening.hasMatch());
    {
        OdbcClient client(QStringLiteral("Driver=%1;Server=127.0.0.1;Port=%2;UID=sa;PWD=Sandbox#1;TDS_Version=7.4")
                              .arg(freeTdsDriverPath(), listening.captured(1))
                              .toStdString());
        ASSERT_TRUE(client.connected()) << client.error();
        EXPECT_FALSE(client.run("select 1").failed());
        const OdbcBatch refused = client.run("select 2");
        ASSERT_TRUE(refused.failed());
        EXPECT_EQ(refused.diagnostics.at(0).native, 50001);
        EXPECT_FALSE(client.run("select 3").failed());
        EXPECT_TRUE(client.run("select 4").failed());
        EXPECT_TRUE(client.connectionDead());
    }
    ::kill(pid_t(sandbox.processId()), SIGTERM);
    ASSERT_TRUE(sandbox.waitForFinished(10000));
    EXPECT_EQ(sandbox.exitCode(), 0);
    EXPECT_EQ(sandbox.readAllStandardError().toStdString(),
              "fault: batch 2 answered with error 50001\n"
              "fault: batch 3 delayed by 1 second\n"
              "fault: batch 4 dropped the connection\n");
}

}  // namespace
}  // namespace tallomar::test
