// The check run: scripts in order, the result table in the grid, the status
// line and the follow-up the project type offers.
#include "workbench_fixture.h"

#include "logic/workbench/result_model.h"
#include "platform/odbc/odbc.h"
#include "sandbox/faults.h"

#include <QTableView>
#include <cctype>
#include <ostream>
#include <string>

namespace tallomar::test {
namespace {

using CheckRun = WorkbenchTest;

TEST_F(CheckRun, ThreeFindingsShowCountGridAndCorrection) {
    addStandardCheck();
    openWindow();
    check();
    EXPECT_EQ(status(), QStringLiteral("共找到[3]条记录"));
    EXPECT_FALSE(widget("grdCheck").isHidden());
    EXPECT_TRUE(widget("txtReport").isHidden());
    EXPECT_FALSE(button("cmdRun").isHidden());
    EXPECT_TRUE(button("cmdSolution").isHidden());
    const ResultModel* result = window->resultModel();
    ASSERT_NE(result, nullptr);
    EXPECT_EQ(result->columns(),
              QStringList({QStringLiteral("科目编码"), QStringLiteral("名称"), QStringLiteral("ZT")}));
    EXPECT_EQ(result->rowCount(), 3);
    EXPECT_EQ(result->text(1, 1), QStringLiteral("应收账款"));
    auto* grid = window->findChild<QTableView*>(QStringLiteral("grdCheck"));
    EXPECT_EQ(grid->model(), result);
    EXPECT_EQ(grid->columnWidth(0), qRound((8 * 100 + 200) / 15.0));
    EXPECT_EQ(grid->columnWidth(2), qRound(400 / 15.0));
}

struct ProjectTypeCase {
    const char* projectType;
    bool run;
    bool solution;
};

// Stable, readable test names: the project type as the package writes it.
void PrintTo(const ProjectTypeCase& c, std::ostream* out) {
    *out << "ProjectType=" << (*c.projectType ? c.projectType : "(empty)");
}

class CheckFollowUp : public WorkbenchTest, public ::testing::WithParamInterface<ProjectTypeCase> {};

TEST_P(CheckFollowUp, ProjectTypeDecidesTheOfferedButton) {
    addStandardCheck();
    tool.settings[QStringLiteral("ProjectType")] = QString::fromUtf8(GetParam().projectType);
    openWindow();
    check();
    EXPECT_EQ(status(), QStringLiteral("共找到[3]条记录"));
    EXPECT_EQ(!button("cmdRun").isHidden(), GetParam().run);
    EXPECT_EQ(!button("cmdSolution").isHidden(), GetParam().solution);
}

INSTANTIATE_TEST_SUITE_P(ProjectTypes, CheckFollowUp,
                         ::testing::Values(ProjectTypeCase{"0", true, false}, ProjectTypeCase{"", true, false},
                                           ProjectTypeCase{"1", false, true}, ProjectTypeCase{"2", false, false},
                                           ProjectTypeCase{"00", true, false}, ProjectTypeCase{"1.0", false, true},
                                           ProjectTypeCase{"abc", false, false}),
                         [](const ::testing::TestParamInfo<ProjectTypeCase>& info) {
                             std::string name = *info.param.projectType ? info.param.projectType : "Empty";
                             for (char& c : name)
                                 if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
                             return "Type_" + name;
                         });

TEST_F(CheckRun, OfferedCorrectionWorksForZeroWrittenTwice) {
    addStandardCheck();
    writeScript(QStringLiteral("repair.sql"), kRepairScript);
    tool.addCorrection(1, QStringLiteral("repair.sql"));
    tool.settings[QStringLiteral("ProjectType")] = QStringLiteral("00");
    openWindow();
    check();
    ASSERT_FALSE(button("cmdRun").isHidden());
    correct("cmdCommit");
    EXPECT_EQ(report(), QStringLiteral("成功执行！"));
    EXPECT_EQ(scalar(QStringLiteral("select count(*) from ledger where bad = 1")), QStringLiteral("0"));
}

TEST_F(CheckRun, EmptyResultTableCongratulatesWithHeaderOnly) {
    writeScript(QStringLiteral("check.sql"), kCheckScript);
    writeScript(QStringLiteral("repair.sql"), kRepairScript);
    tool.addCorrection(1, QStringLiteral("repair.sql"));
    tool.addCheck(1, QStringLiteral("repair.sql"));
    tool.addCheck(2, QStringLiteral("check.sql"), QStringLiteral("check_result"));
    tool.settings[QStringLiteral("ProjectType")] = QStringLiteral("1");
    openWindow();
    check();
    EXPECT_EQ(status(), QStringLiteral("恭喜您，没有发现问题!"));
    EXPECT_FALSE(widget("grdCheck").isHidden());
    EXPECT_TRUE(button("cmdRun").isHidden());
    EXPECT_TRUE(button("cmdSolution").isHidden());
    ASSERT_NE(window->resultModel(), nullptr);
    EXPECT_EQ(window->resultModel()->rowCount(), 0);
    EXPECT_EQ(window->resultModel()->columnCount(), 3);
}

TEST_F(CheckRun, MissingResultTableReportsUnknownErrorAndChangesNothingElse) {
    addStandardCheck();
    tool.files.back().result = QStringLiteral("no_such_table");
    openWindow();
    check();
    EXPECT_EQ(status(), QStringLiteral("检错过程遇到未知错误，请与管理员联系！"));
    EXPECT_TRUE(widget("grdCheck").isHidden());
    EXPECT_FALSE(widget("txtReport").isHidden());
    EXPECT_TRUE(button("cmdRun").isHidden());
    EXPECT_EQ(window->resultModel(), nullptr);
}

// The lookup of the result table is the program's own statement: its
// failure is the server's, shown as such, never taken for a missing table.
TEST_F(CheckRun, AFailedLookupOfTheResultTableShowsTheServersWordsNotAMissingTable) {
    addStandardCheck();
    server().armFault(
        sandbox::Fault::failBatch(1, 50001, "lookup refused by the server").whenBatchContains("sysobjects"));
    openWindow();
    dialogs.runForReal();
    dialogs.acceptMessage();
    window->cmdCheck_Click();
    ASSERT_EQ(dialogs.shown().size(), 2u);  // the progress box, then the failure
    const QString text = dialogs.shown()[1].text;
    EXPECT_TRUE(text.startsWith(QStringLiteral("检查：查找结果表 check_result时服务器报错：\n"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("lookup refused by the server"))) << text.toStdString();
    EXPECT_NE(status(), QStringLiteral("检错过程遇到未知错误，请与管理员联系！"));
    EXPECT_EQ(window->resultModel(), nullptr);
}

TEST_F(CheckRun, NameWithQuotesOrBracketsCannotAlterTheStatements) {
    addStandardCheck();
    tool.files.back().result = QStringLiteral("x' or name like '%");
    openWindow();
    check();
    EXPECT_EQ(status(), QStringLiteral("检错过程遇到未知错误，请与管理员联系！"));
    writeScript(QStringLiteral("odd.sql"), QStringLiteral("select 7 as a into tempdb..[odd' name]\r\n"));
    tool.files.front().path = QStringLiteral("odd.sql");
    tool.files.back().result = QStringLiteral("odd' name");
    check();
    EXPECT_EQ(status(), QStringLiteral("共找到[1]条记录"));
}

TEST_F(CheckRun, LastRowWithoutScriptStillNamesTheResultTable) {
    writeScript(QStringLiteral("check.sql"), kCheckScript);
    tool.addCheck(1, QStringLiteral("check.sql"), QStringLiteral("wrong_table"));
    tool.addCheck(2, QStringLiteral("999"), QStringLiteral("check_result"));
    tool.addCheck(3, QVariant());
    tool.files.back().result = QStringLiteral("check_result");
    openWindow();
    check();
    EXPECT_EQ(status(), QStringLiteral("共找到[3]条记录"));
}

TEST_F(CheckRun, FailingScriptShowsWarningStopsLaterScriptsAndLeavesNoStaleFindings) {
    addStandardCheck();
    openWindow();
    check();
    ASSERT_EQ(status(), QStringLiteral("共找到[3]条记录"));

    tool.files.clear();
    writeScript(QStringLiteral("broken.sql"),
                QStringLiteral("select 1\r\nGO\r\n-- the second batch\r\nselect * from no_such_ledger\r\n"));
    writeScript(QStringLiteral("repair.sql"), kRepairScript);
    tool.addCheck(1, QStringLiteral("broken.sql"));
    tool.addCheck(2, QStringLiteral("repair.sql"), QStringLiteral("check_result"));
    dialogs.runForReal();
    dialogs.acceptMessage();
    window->cmdCheck_Click();

    ASSERT_EQ(dialogs.shown().size(), 3u);
    EXPECT_EQ(dialogs.shown()[2].icon, MessageIcon::Exclamation);
    // The server's words, then the script and batch they belong to.
    const QStringList lines = dialogs.shown()[2].text.split(QLatin1Char('\n'));
    ASSERT_EQ(lines.size(), 2) << dialogs.shown()[2].text.toStdString();
    EXPECT_TRUE(lines[0].contains(QStringLiteral("no_such_ledger"))) << lines[0].toStdString();
    EXPECT_EQ(lines[1], QStringLiteral("脚本 broken.sql 第 2 批（第 3 行起）"));
    // The earlier findings may no longer be true: none are shown, and 修复
    // waits for a check that completes.
    EXPECT_EQ(status(), QStringLiteral("检查没有完成，没有可用的检查结果。"));
    EXPECT_EQ(window->resultModel(), nullptr);
    EXPECT_TRUE(button("cmdRun").isHidden());
    EXPECT_TRUE(widget("grdCheck").isHidden());
    EXPECT_EQ(report(), dialogs.shown()[2].text);
    EXPECT_EQ(scalar(QStringLiteral("select count(*) from ledger where bad = 1")), QStringLiteral("3"));
}

TEST_F(CheckRun, UnreadableCheckRowsShowWarningOnly) {
    addStandardCheck();
    openWindow();
    tool.failRecordsets = true;
    dialogs.acceptMessage();
    window->cmdCheck_Click();
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(dialogs.shown()[0].text, QStringLiteral("工具数据库无法读取"));
    EXPECT_EQ(status(), QStringLiteral("检查没有完成，没有可用的检查结果。"));
    EXPECT_FALSE(widget("txtReport").isHidden());
}

TEST_F(CheckRun, SecondCheckShowsTheSecondResult) {
    addStandardCheck();
    openWindow();
    check();
    ASSERT_EQ(window->resultModel()->rowCount(), 3);
    execute(QStringLiteral("update ledger set bad = 0 where cCode = '1001'"));
    check();
    EXPECT_EQ(status(), QStringLiteral("共找到[2]条记录"));
    EXPECT_EQ(window->resultModel()->rowCount(), 2);
    EXPECT_EQ(window->resultModel()->text(0, 0), QStringLiteral("1122"));
}

TEST_F(CheckRun, WithoutAccountConnectionFirstScriptFails) {
    addStandardCheck();
    session->cnAccount.reset();
    openWindow();
    dialogs.runForReal();
    dialogs.acceptMessage();
    window->cmdCheck_Click();
    ASSERT_EQ(dialogs.shown().size(), 2u);
    EXPECT_EQ(dialogs.shown()[1].icon, MessageIcon::Exclamation);
    EXPECT_FALSE(dialogs.shown()[1].text.isEmpty());
    EXPECT_EQ(status(), QStringLiteral("检查没有完成，没有可用的检查结果。"));
}

}  // namespace
}  // namespace tallomar::test
