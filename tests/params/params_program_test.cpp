// tallomar-params run as a process: the command-line conventions.
#include "support/program_run.h"

#include <gtest/gtest.h>

using namespace tallomar;

namespace {

test::ProgramRun runParams(const QStringList& arguments) {
    return test::runProgram(QStringLiteral(TALLOMAR_PARAMS_PROGRAM), arguments);
}

void expectUsageLines(const QString& text) {
    EXPECT_TRUE(text.contains(QStringLiteral("usage: tallomar-params"))) << text.toStdString();
    for (const QString& option : {QStringLiteral("--help"), QStringLiteral("--version"), QStringLiteral("PACKAGE-LIST.ini")})
        EXPECT_TRUE(text.contains(option)) << option.toStdString();
}

}  // namespace

TEST(ParamsProgram, HelpPrintsTheUsageWithEveryOptionAndSucceeds) {
    const test::ProgramRun run = runParams({QStringLiteral("--help")});
    EXPECT_EQ(run.exitCode, 0);
    expectUsageLines(run.outText());
    EXPECT_EQ(run.err, QString());
}

TEST(ParamsProgram, VersionPrintsTheProjectVersion) {
    const test::ProgramRun run = runParams({QStringLiteral("--version")});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.outText(), QStringLiteral("tallomar-params " TALLOMAR_VERSION "\n"));
}

TEST(ParamsProgram, AWrongOptionOrNoListPrintsTheUsageToStderrAndFailsWithTwo) {
    for (const QStringList& arguments :
         {QStringList{QStringLiteral("--colour")}, QStringList{}, QStringList{QStringLiteral("a.ini"), QStringLiteral("b.ini")},
          QStringList{QStringLiteral("-x"), QStringLiteral("list.ini")}}) {
        const test::ProgramRun run = runParams(arguments);
        EXPECT_EQ(run.exitCode, 2) << arguments.join(' ').toStdString();
        EXPECT_TRUE(run.out.isEmpty()) << arguments.join(' ').toStdString();
        EXPECT_TRUE(run.err.startsWith(QStringLiteral("tallomar-params: "))) << run.err.toStdString();
        expectUsageLines(run.err);
    }
    EXPECT_TRUE(runParams({QStringLiteral("--colour")}).err.contains(QStringLiteral("--colour")));
}
