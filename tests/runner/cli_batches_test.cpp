// tallomar-cli batches: what package authors see of how a script splits.
#include "script_files.h"
#include "support/program_run.h"

#include <gtest/gtest.h>

namespace tallomar {
namespace {

test::ProgramRun cli(const QStringList& arguments) {
    return test::runProgram(QStringLiteral(TALLOMAR_CLI), arguments);
}

TEST(CliBatches, PrintsEachBatchAsOneJsonStringPerLine) {
    test::ScriptFolder folder;
    const QString path = folder.write(
        QStringLiteral("a.sql"), test::gbk(QStringLiteral("-- 中文\r\nselect 1\r\nGO\r\n\r\nGO\r\nselect \"x\"\tGO")));
    const test::ProgramRun run = cli({QStringLiteral("batches"), path});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, QByteArray("\"-- 中文 \\r\\nselect 1 \\r\\n\"\n"
                                  "\" \\r\\n\"\n"
                                  "\"select \\\"x\\\"\\tGO \\r\\n\"\n"));
}

TEST(CliBatches, UnreadableFileNamesFileAndReason) {
    test::ScriptFolder folder;
    const QString path = folder.path() + QStringLiteral("/none.sql");
    const test::ProgramRun run = cli({QStringLiteral("batches"), path});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.out.isEmpty());
    EXPECT_TRUE(run.err.contains(path)) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains(QStringLiteral("No such file or directory"))) << run.err.toStdString();
}

TEST(CliBatches, UndecodableFileNamesFileAndLine) {
    test::ScriptFolder folder;
    const QString path = folder.write(QStringLiteral("a.sql"), "select 1\r\nGO\r\nselect '\x81\x7F'\r\n");
    const test::ProgramRun run = cli({QStringLiteral("batches"), path});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.out, QByteArray("\"select 1 \\r\\n\"\n"));
    EXPECT_TRUE(run.err.contains(path)) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains(QStringLiteral("第 3 行"))) << run.err.toStdString();
}

TEST(CliBatches, UnknownCommandAndMissingFileArgumentShowUsage) {
    const test::ProgramRun unknown = cli({QStringLiteral("frobnicate")});
    EXPECT_EQ(unknown.exitCode, 2);
    EXPECT_TRUE(unknown.err.contains(QStringLiteral("batches FILE")));
    const test::ProgramRun bare = cli({QStringLiteral("batches")});
    EXPECT_EQ(bare.exitCode, 2);
    EXPECT_TRUE(bare.err.contains(QStringLiteral("missing FILE"))) << bare.err.toStdString();
    EXPECT_TRUE(bare.out.isEmpty());
    // Help goes to stdout with status 0, for the program and for each command.
    for (const QStringList& help :
         {QStringList{QStringLiteral("--help")}, QStringList{QStringLiteral("check"), QStringLiteral("--help")},
          QStringList{QStringLiteral("batches"), QStringLiteral("--help")}}) {
        const test::ProgramRun run = cli(help);
        EXPECT_EQ(run.exitCode, 0) << help.join(u' ').toStdString();
        EXPECT_TRUE(run.err.isEmpty());
        EXPECT_TRUE(run.out.contains("Usage: tallomar-cli")) << run.out.toStdString();
    }
    const test::ProgramRun version = cli({QStringLiteral("--version")});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_TRUE(version.out.startsWith("tallomar-cli ")) << version.out.toStdString();
}

}  // namespace
}  // namespace tallomar
