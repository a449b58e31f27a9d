#include "support/program_run.h"

#include <gtest/gtest.h>
#include <QFileInfo>

// tallomar, tallomar-tooldb and tallomar-mkmdb keep the usual command-line
// conventions: --help on stdout with status 0, --version likewise, and a bad
// option refused on stderr with the usage and status 2.
namespace {

using tallomar::test::runProgram;

struct Program {
    const char* path;
    const char* option;  // one option of its own the help must list
};

const Program kPrograms[] = {
    {TALLOMAR_EXECUTABLE, "--demo"},
    {TALLOMAR_TOOLDB_PROGRAM, "--csv"},
    {TALLOMAR_MKMDB_PROGRAM, "--version"},
};

class ProgramConventions : public ::testing::TestWithParam<Program> {
protected:
    QString path() const { return QString::fromUtf8(GetParam().path); }
    QString name() const { return QFileInfo(path()).fileName(); }
};

TEST_P(ProgramConventions, HelpListsEveryOptionOnStdout) {
    const auto run = runProgram(path(), {QStringLiteral("--help")});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_TRUE(run.outText().startsWith(QStringLiteral("Usage: %1 ").arg(name()))) << run.outText().toStdString();
    for (const QString& option :
         {QStringLiteral("--help"), QStringLiteral("--version"), QString::fromUtf8(GetParam().option)})
        EXPECT_TRUE(run.outText().contains(option)) << option.toStdString();
    EXPECT_TRUE(run.err.isEmpty()) << run.err.toStdString();
}

TEST_P(ProgramConventions, VersionIsTheProjectVersion) {
    const auto run = runProgram(path(), {QStringLiteral("--version")});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.outText(), QStringLiteral("%1 %2\n").arg(name(), QStringLiteral(TALLOMAR_PROJECT_VERSION)));
}

TEST_P(ProgramConventions, BadOptionGivesUsageOnStderrAndStatusTwo) {
    const auto run = runProgram(path(), {QStringLiteral("--no-such-option")});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_TRUE(run.out.isEmpty());
    EXPECT_TRUE(run.err.startsWith(name() + QStringLiteral(": "))) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains(QStringLiteral("no-such-option")));
    EXPECT_TRUE(run.err.contains(QStringLiteral("Usage: %1 ").arg(name())));
}

INSTANTIATE_TEST_SUITE_P(Programs, ProgramConventions, ::testing::ValuesIn(kPrograms), [](const auto& info) {
    std::string name = QFileInfo(QString::fromUtf8(info.param.path)).fileName().toStdString();
    for (char& c : name)
        if (c == '-') c = '_';
    return name;
});

TEST(ProgramConventions, ArgumentsBeyondTheUsageAreRefused) {
    const auto tooldb = runProgram(QStringLiteral(TALLOMAR_TOOLDB_PROGRAM), {QStringLiteral("only-one.mdb")});
    EXPECT_EQ(tooldb.exitCode, 2);
    EXPECT_TRUE(tooldb.err.contains(QStringLiteral("missing STATEMENT"))) << tooldb.err.toStdString();
    const auto tallomar =
        runProgram(QStringLiteral(TALLOMAR_EXECUTABLE), {QStringLiteral("--demo"), QStringLiteral("folder")});
    EXPECT_EQ(tallomar.exitCode, 2);
    EXPECT_TRUE(tallomar.err.contains(QStringLiteral("either --demo or PACKAGE_FOLDER"))) << tallomar.err.toStdString();
}

}  // namespace
