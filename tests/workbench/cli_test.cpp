// tallomar-cli check and correct on the demo package, run as processes
// against a sandbox server holding the demo ledger: findings, repair, clean.
#include "jet4writer/damage.h"
#include "jet4writer/description.h"
#include "jet4writer/jet4_writer.h"
#include "platform/access/mdb_reader.h"
#include "support/sandbox_server.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace tallomar::test {
namespace {

QByteArray readFile(const QString& path) {
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
    return file.readAll();
}

class DemoCommandLine : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(package.isValid());
        const QDir demo(QStringLiteral(TALLOMAR_DEMO_SOURCE));
        const QByteArray description = readFile(demo.filePath(QStringLiteral("ZOL.json")));
        jet4::writeDatabase(jet4::parseDescription(description, QStringLiteral("ZOL.json")),
                            package.filePath(QStringLiteral("ZOL.mdb")));
        for (const QString& script : QDir(demo.filePath(QStringLiteral("scripts"))).entryList({QStringLiteral("*.sql")}))
            ASSERT_TRUE(QFile::copy(demo.filePath(QStringLiteral("scripts/") + script), package.filePath(script)));
    }

    struct Result {
        int exitCode = -1;
        QString out;
        QString err;
    };

    Result run(const QString& command, QStringList extra = {}, const QByteArray& password = "Sandbox#1\n") {
        QProcess cli;
        QStringList arguments = {command,
                                 QStringLiteral("--package"), package.path(),
                                 QStringLiteral("--server"), sandbox.serverName(),
                                 QStringLiteral("--user"), QStringLiteral("sa"),
                                 QStringLiteral("--password-stdin")};
        arguments += extra;
        cli.start(QCoreApplication::applicationDirPath() + QStringLiteral("/tallomar-cli"), arguments);
        cli.write(password);
        cli.closeWriteChannel();
        EXPECT_TRUE(cli.waitForFinished(60000));
        return {cli.exitCode(), QString::fromUtf8(cli.readAllStandardOutput()),
                QString::fromUtf8(cli.readAllStandardError())};
    }

    const QStringList byEdition = {QStringLiteral("--edition"), QStringLiteral("R6 财务标准版"),
                                   QStringLiteral("--account"), QStringLiteral("001"),
                                   QStringLiteral("--year"), QStringLiteral("2008")};
    QTemporaryDir package;
    // The demo data holds the ledger whose faults the demo package finds.
    SandboxServer sandbox;
};

TEST_F(DemoCommandLine, CheckFindsCorrectRepairsCheckIsClean) {
    const Result found = run(QStringLiteral("check"), byEdition);
    EXPECT_EQ(found.exitCode, 1) << found.err.toStdString();
    const QStringList lines = found.out.split(QStringLiteral("\r\n"));
    ASSERT_GE(lines.size(), 5) << found.out.toStdString();
    EXPECT_EQ(lines[0], QStringLiteral("凭证号,行号,科目编码,摘要,借方金额,贷方金额"));
    EXPECT_TRUE(lines[1].startsWith(QStringLiteral("2,1, 1001,提取备用金"))) << lines[1].toStdString();
    EXPECT_TRUE(found.out.trimmed().endsWith(QStringLiteral("共找到[3]条记录")));

    const Result corrected = run(QStringLiteral("correct"), {QStringLiteral("--database"), QStringLiteral("qvdata_001_2008")});
    EXPECT_EQ(corrected.exitCode, 0) << corrected.err.toStdString();
    EXPECT_EQ(corrected.out.trimmed(), QStringLiteral("成功执行！"));

    QTemporaryDir outFolder;
    const QString out = outFolder.filePath(QStringLiteral("clean.csv"));
    const Result clean = run(QStringLiteral("check"), byEdition + QStringList{QStringLiteral("--out"), out});
    EXPECT_EQ(clean.exitCode, 0) << clean.err.toStdString();
    EXPECT_EQ(clean.out.trimmed(), QStringLiteral("恭喜您，没有发现问题!"));
    EXPECT_EQ(readFile(out), QByteArray("\xEF\xBB\xBF") + QStringLiteral("凭证号,行号,科目编码,摘要,借方金额,贷方金额\r\n").toUtf8());
}

TEST_F(DemoCommandLine, FailingScriptNamesScriptAndBatchOnStderr) {
    QFile script(package.filePath(QStringLiteral("check_voucher.sql")));
    ASSERT_TRUE(script.open(QIODevice::WriteOnly | QIODevice::Truncate));
    script.write("select 1\r\nGO\r\n\r\nselect * from no_such_ledger\r\n");
    script.close();

    const Result failed = run(QStringLiteral("check"), byEdition);
    EXPECT_EQ(failed.exitCode, 2);
    const QStringList lines = failed.err.trimmed().split(QLatin1Char('\n'));
    ASSERT_EQ(lines.size(), 2) << failed.err.toStdString();
    EXPECT_TRUE(lines[0].startsWith(QStringLiteral("tallomar-cli check: ")) && lines[0].contains(QStringLiteral("no_such_ledger")))
        << lines[0].toStdString();
    EXPECT_EQ(lines[1], QStringLiteral("脚本 check_voucher.sql 第 2 批（第 3 行起）"));
}

TEST_F(DemoCommandLine, WrongPasswordFailsWithMessage) {
    const Result refused = run(QStringLiteral("check"), byEdition, "wrong\n");
    EXPECT_EQ(refused.exitCode, 2);
    EXPECT_FALSE(refused.err.isEmpty());
    EXPECT_TRUE(refused.out.isEmpty());
}

TEST_F(DemoCommandLine, CorrectRefusesADamagedToolDatabaseAndRunsNothing) {
    const QString database = package.filePath(QStringLiteral("ZOL.mdb"));
    const quint32 filePage = [&] {
        for (const mdb::Table& table : mdb::readTables(database))
            if (table.name == u"File") return table.locations.front().page;
        return quint32(0);
    }();
    ASSERT_NE(filePage, 0u);
    QByteArray damaged = readFile(database);
    jet4::zeroPage(damaged, filePage);
    QFile file(database);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(damaged);
    file.close();

    const Result refused = run(QStringLiteral("correct"), {QStringLiteral("--database"), QStringLiteral("qvdata_001_2008")});
    EXPECT_EQ(refused.exitCode, 2);
    EXPECT_TRUE(refused.out.isEmpty()) << refused.out.toStdString();
    EXPECT_TRUE(refused.err.startsWith(QStringLiteral("tallomar-cli correct: ZOL.mdb: the file is damaged: table File")))
        << refused.err.toStdString();
    EXPECT_EQ(readFile(database), damaged);
}

TEST_F(DemoCommandLine, MissingOptionsAndUnknownEditionFail) {
    const Result noDatabase = run(QStringLiteral("check"));
    EXPECT_EQ(noDatabase.exitCode, 2);
    EXPECT_TRUE(noDatabase.err.contains(QStringLiteral("--edition"))) << noDatabase.err.toStdString();
    const Result unknown = run(QStringLiteral("check"), {QStringLiteral("--edition"), QStringLiteral("X9"),
                                                        QStringLiteral("--account"), QStringLiteral("001")});
    EXPECT_EQ(unknown.exitCode, 2);
    EXPECT_TRUE(unknown.err.contains(QStringLiteral("X9")));
}

}  // namespace
}  // namespace tallomar::test
