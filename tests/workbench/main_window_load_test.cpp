// What the main window offers when it opens, decided by the tool database.
#include "workbench_fixture.h"

#include <QLabel>

namespace tallomar::test {
namespace {

using MainWindowLoad = WorkbenchTest;

TEST_F(MainWindowLoad, ToolWithCheckScriptsOffersCheckAndHidesRun) {
    tool.addCheck(1, QStringLiteral("a.sql"), QStringLiteral("r"));
    tool.addCorrection(1, QStringLiteral("b.sql"));
    openWindow();
    EXPECT_FALSE(button("cmdCheck").isHidden());
    EXPECT_TRUE(button("cmdRun").isHidden());
    EXPECT_TRUE(button("cmdSolution").isHidden());
    EXPECT_TRUE(button("cmdRun").text().isEmpty());
}

TEST_F(MainWindowLoad, CorrectionRowsOnlyOfferCaptionedRun) {
    tool.addCorrection(1, QStringLiteral("b.sql"));
    openWindow();
    EXPECT_TRUE(button("cmdCheck").isHidden());
    EXPECT_FALSE(button("cmdRun").isHidden());
    EXPECT_EQ(button("cmdRun").text(), QStringLiteral("执行(&R)"));
}

TEST_F(MainWindowLoad, RowsOfAnotherTypeOfferNeitherButton) {
    tool.addCheck(1, QStringLiteral("a.txt"), QStringLiteral("r"));
    tool.files.back().type = QStringLiteral("txt");
    tool.addCorrection(1, QStringLiteral("b.txt"));
    tool.files.back().type = QStringLiteral("exe");
    openWindow();
    EXPECT_TRUE(button("cmdCheck").isHidden());
    EXPECT_TRUE(button("cmdRun").isHidden());
}

TEST_F(MainWindowLoad, ProblemDescriptionsDecideTheViewerButton) {
    openWindow();
    EXPECT_TRUE(button("cmdBeWrite").isHidden());
    delete window.data();
    tool.bewriteId = QStringLiteral("1");
    openWindow();
    EXPECT_FALSE(button("cmdBeWrite").isHidden());
    EXPECT_FALSE(button("cmdReadme").isHidden());
    EXPECT_FALSE(button("cmdAbout").isHidden());
    EXPECT_FALSE(button("cmdCancel").isHidden());
    EXPECT_FALSE(button("picExit").isHidden());
}

TEST_F(MainWindowLoad, TitleFallsBackWhenToolNameIsEmpty) {
    openWindow();
    EXPECT_EQ(window->findChild<QLabel*>(QStringLiteral("labFrmCaption"))->text(), QStringLiteral("TallomarV3.0"));
    delete window.data();
    session->gToolName = QStringLiteral("科目余额检查工具");
    openWindow();
    EXPECT_EQ(window->findChild<QLabel*>(QStringLiteral("labFrmCaption"))->text(), QStringLiteral("科目余额检查工具"));
}

TEST_F(MainWindowLoad, ReportViewShowsToolDescription) {
    openWindow();
    EXPECT_EQ(report(), QStringLiteral("本工具检查科目余额是否平衡。"));
    EXPECT_EQ(status(), QStringLiteral("状态：工具说明"));
    EXPECT_FALSE(widget("txtReport").isHidden());
    EXPECT_TRUE(widget("grdCheck").isHidden());
}

TEST_F(MainWindowLoad, MissingReadmeLeavesReportEmpty) {
    tool.settings.remove(QStringLiteral("Readme"));
    openWindow();
    EXPECT_TRUE(report().isEmpty());
    EXPECT_EQ(status(), QStringLiteral("状态：工具说明"));
}

TEST_F(MainWindowLoad, WindowIsBorderlessAtItsTwipsSize) {
    openWindow();
    EXPECT_TRUE(window->windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_EQ(window->size(), QSize(679, 400));
    EXPECT_EQ(button("cmdCheck").geometry(), QRect(24, 40, 65, 25));
    EXPECT_EQ(widget("grdCheck").geometry(), widget("txtReport").geometry());
    EXPECT_EQ(button("cmdRun").geometry(), button("cmdSolution").geometry());
}

}  // namespace
}  // namespace tallomar::test
