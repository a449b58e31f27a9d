// tallomar-params: the command-line conventions, run as a process, and what
// it opens without a package list, with the file chooser answered here.
#include "package_fixture.h"
#include "parameter_window_start.h"
#include "support/program_run.h"
#include "support/scripted_dialogs.h"
#include "windows/params/flex_grid.h"

#include <gtest/gtest.h>
#include <QFileDialog>

using namespace tallomar;

namespace {

test::ProgramRun runParams(const QStringList& arguments) {
    return test::runProgram(QStringLiteral(TALLOMAR_PARAMS_PROGRAM), arguments);
}

void expectUsageLines(const QString& text) {
    EXPECT_TRUE(text.contains(QStringLiteral("Usage: tallomar-params [options] [PACKAGE-LIST.ini]")))
        << text.toStdString();
    for (const QString& option : {QStringLiteral("--help"), QStringLiteral("--version")})
        EXPECT_TRUE(text.contains(option)) << option.toStdString();
}

}  // namespace

TEST(ParamsProgram, HelpPrintsTheUsageWithEveryOptionAndSucceeds) {
    const test::ProgramRun run = runParams({QStringLiteral("--help")});
    EXPECT_EQ(run.exitCode, 0);
    expectUsageLines(run.outText());
    EXPECT_TRUE(run.outText().contains(QStringLiteral("file\nchooser asks for the package list")))
        << run.outText().toStdString();
    EXPECT_EQ(run.err, QString());
}

TEST(ParamsProgram, VersionPrintsTheProjectVersion) {
    const test::ProgramRun run = runParams({QStringLiteral("--version")});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.outText(), QStringLiteral("tallomar-params " TALLOMAR_VERSION "\n"));
}

TEST(ParamsProgram, AWrongOptionOrTwoListsPrintTheUsageToStderrAndFailWithTwo) {
    for (const QStringList& arguments :
         {QStringList{QStringLiteral("--colour")}, QStringList{QStringLiteral("a.ini"), QStringLiteral("b.ini")},
          QStringList{QStringLiteral("-x"), QStringLiteral("list.ini")}}) {
        const test::ProgramRun run = runParams(arguments);
        EXPECT_EQ(run.exitCode, 2) << arguments.join(' ').toStdString();
        EXPECT_TRUE(run.out.isEmpty()) << arguments.join(' ').toStdString();
        EXPECT_TRUE(run.err.startsWith(QStringLiteral("tallomar-params: "))) << run.err.toStdString();
        expectUsageLines(run.err);
    }
    EXPECT_TRUE(runParams({QStringLiteral("--colour")}).err.contains(QStringLiteral("colour")));
}

TEST(ParamsProgramStart, WithoutAListAFileChooserAsksForItAndCancellingEndsWithAMessage) {
    test::PackageFixture package;
    package.writeFile(QStringLiteral("year.ini"),
                      QStringLiteral("[SQL]\nFunction=年结\nVarNum=1\n[Var]\n1.1=year\n1.2=年度\n1.3=int\n1.5=2026\n"));
    package.writeList(QStringLiteral("1.1=year.sql\n1.2=year.ini\n1.3=..\n"), 1);
    test::ScriptedDialogs dialogs;

    dialogs.answer([](QDialog& dialog) {
        auto& chooser = static_cast<QFileDialog&>(dialog);
        EXPECT_EQ(chooser.fileMode(), QFileDialog::ExistingFile);
        return int(QDialog::Rejected);
    });
    ::testing::internal::CaptureStderr();
    const auto cancelled = OpenParameterWindow(QString());
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "tallomar-params: no package list chosen\n");
    ASSERT_TRUE(std::holds_alternative<int>(cancelled));
    EXPECT_NE(std::get<int>(cancelled), 0);
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(dialogs.shown()[0].kind, QStringLiteral("QFileDialog"));
    EXPECT_EQ(dialogs.shown()[0].title, QStringLiteral("选择脚本列表"));

    dialogs.answer([&](QDialog& dialog) {
        static_cast<QFileDialog&>(dialog).selectFile(package.path(QStringLiteral("list.ini")));
        return int(QDialog::Accepted);
    });
    const auto chosen = OpenParameterWindow(QString());
    ASSERT_TRUE(std::holds_alternative<std::unique_ptr<FrmSQLValue>>(chosen));
    const auto& window = *std::get<std::unique_ptr<FrmSQLValue>>(chosen);
    const auto& scripts = *window.findChild<FlexGrid*>(QStringLiteral("grdSQL"));
    const auto& parameters = *window.findChild<FlexGrid*>(QStringLiteral("grdTable"));
    EXPECT_EQ(scripts.textMatrix(1, 2), QStringLiteral("年结"));
    EXPECT_EQ(parameters.textMatrix(1, 4), QStringLiteral("2026"));

    // A list named on the command line opens without the chooser; one that
    // is missing is said on stderr and in a box.
    const auto named = OpenParameterWindow(package.path(QStringLiteral("list.ini")));
    EXPECT_TRUE(std::holds_alternative<std::unique_ptr<FrmSQLValue>>(named));
    dialogs.acceptMessage();
    ::testing::internal::CaptureStderr();
    const auto missing = OpenParameterWindow(package.path(QStringLiteral("gone.ini")));
    const QString said = QString::fromStdString(::testing::internal::GetCapturedStderr());
    ASSERT_TRUE(std::holds_alternative<int>(missing));
    EXPECT_NE(std::get<int>(missing), 0);
    EXPECT_TRUE(said.startsWith(QStringLiteral("tallomar-params: 找不到脚本列表文件："))) << said.toStdString();
    ASSERT_EQ(dialogs.shown().size(), 3u);
    EXPECT_EQ(dialogs.shown()[2].icon, MessageIcon::Critical);
    EXPECT_EQ(dialogs.pending(), 0u);
}
