// The workbench's rules free of any window: project types as numbers, the
// follow-up they offer and the status texts of a check.
#include "logic/workbench/workbench.h"

#include <gtest/gtest.h>

namespace tallomar {
namespace {

TEST(ProjectType, ReadAsNumberWithEmptyAsZero) {
    EXPECT_EQ(Workbench::projectTypeNumber(QString()), 0.0);
    EXPECT_EQ(Workbench::projectTypeNumber(QStringLiteral("00")), 0.0);
    EXPECT_EQ(Workbench::projectTypeNumber(QStringLiteral("0.0")), 0.0);
    EXPECT_EQ(Workbench::projectTypeNumber(QStringLiteral("1.0")), 1.0);
    EXPECT_EQ(Workbench::projectTypeNumber(QStringLiteral("2")), 2.0);
    EXPECT_FALSE(Workbench::projectTypeNumber(QStringLiteral("abc")).has_value());
    EXPECT_FALSE(Workbench::projectTypeNumber(QStringLiteral("inf")).has_value());
}

TEST(ProjectType, FollowUpOnlyWithFindings) {
    EXPECT_EQ(Workbench::followUp(QStringLiteral("0"), 3), FollowUp::Correction);
    EXPECT_EQ(Workbench::followUp(QStringLiteral("1"), 3), FollowUp::Solution);
    EXPECT_EQ(Workbench::followUp(QStringLiteral("2"), 3), FollowUp::None);
    EXPECT_EQ(Workbench::followUp(QStringLiteral("abc"), 3), FollowUp::None);
    EXPECT_EQ(Workbench::followUp(QStringLiteral("0"), 0), FollowUp::None);
    EXPECT_EQ(Workbench::followUp(QStringLiteral("1"), 0), FollowUp::None);
}

TEST(CheckStatus, TextsOfEachOutcome) {
    CheckOutcome outcome;
    outcome.kind = CheckOutcome::Kind::Finished;
    outcome.findings = 1234;
    EXPECT_EQ(Workbench::checkStatus(outcome), QStringLiteral("共找到[1234]条记录"));
    outcome.findings = 0;
    EXPECT_EQ(Workbench::checkStatus(outcome), QStringLiteral("恭喜您，没有发现问题!"));
    outcome.kind = CheckOutcome::Kind::NoResultTable;
    EXPECT_EQ(Workbench::checkStatus(outcome), QStringLiteral("检错过程遇到未知错误，请与管理员联系！"));
}

TEST(CorrectionOffer, NotOfferedProjectTypeRunsNothing) {
    int reads = 0;
    int runs = 0;
    const Session session;
    const Workbench workbench(session,
                              {[](const QString&, const QString&, const QString&) { return QString(); },
                               [&](const QString&) {
                                   ++reads;
                                   return tooldb::Recordset();
                               }},
                              [&](const QString&, const RunWork&) {
                                  ++runs;
                                  return RunOutcome();
                              });
    const ResultReceiver receiver = ResultReceiver::discarding();
    EXPECT_EQ(workbench.correct(QStringLiteral("1"), receiver).outcome().kind, CorrectionOutcome::Kind::NotOffered);
    EXPECT_EQ(workbench.correct(QStringLiteral("x"), receiver).outcome().kind, CorrectionOutcome::Kind::NotOffered);
    EXPECT_EQ(reads, 0);
    EXPECT_EQ(runs, 0);
    // The run reads the check rows (for the counts) and the correction rows.
    EXPECT_NE(workbench.correct(QStringLiteral("0.0"), receiver).outcome().kind, CorrectionOutcome::Kind::NotOffered);
    EXPECT_EQ(reads, 2);
    EXPECT_EQ(runs, 1);
}

}  // namespace
}  // namespace tallomar
