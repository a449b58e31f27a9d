// The history window: runs of one database newest first, a check's
// findings, and what changed between two checks.
#include "recorded_runs.h"

#include "logic/history/run_recorder.h"
#include "windows/history/history_window.h"

#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace tallomar::test {
namespace {

using history::FindingRow;
using history::RunKind;
using history::RunStatus;

class HistoryWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        path = data.filePath(QStringLiteral("history.sqlite"));
        record(RunKind::Check, {{QStringLiteral("1001"), QStringLiteral("现金")}, {QStringLiteral("1122"), std::nullopt}});
        record(RunKind::Correct, {});
        record(RunKind::Check, {{QStringLiteral("1122"), std::nullopt}, {QStringLiteral("2202"), QStringLiteral("应付账款")}});
        history::RunFacts elsewhere = demoFacts(RunKind::Check);
        elsewhere.database = QStringLiteral("qvdata_002_2024");
        record(elsewhere, {});
    }

    void record(const history::RunFacts& facts, const std::vector<FindingRow>& rows) {
        history::RunRecorder recorder(path, [](const QString& message) { ADD_FAILURE() << message.toStdString(); });
        recorder.start(facts, QString());
        if (facts.kind == RunKind::Check)
            deliverFindings(recorder.recording({[](const QStringList&) {}, [](const ResultBlock&) {}}),
                            {QStringLiteral("科目编码"), QStringLiteral("名称")}, rows);
        if (facts.kind == RunKind::Correct) recorder.finish({RunStatus::Ok, QString(), {}, true, 1});
        else recorder.finish({rows.empty() ? RunStatus::Ok : RunStatus::Findings, QString(), qint64(rows.size()), {}, {}});
    }
    void record(RunKind kind, const std::vector<FindingRow>& rows) { record(demoFacts(kind), rows); }

    // Chooses the list's rows `rows` (0 is the newest run).
    void choose(HistoryWindow& window, std::initializer_list<int> rows) {
        auto* runs = window.findChild<QTableView*>(QStringLiteral("grdRuns"));
        runs->clearSelection();
        for (int row : rows)
            runs->selectionModel()->select(runs->model()->index(row, 0),
                                           QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
    static QString caption(HistoryWindow& window) {
        return window.findChild<QLabel*>(QStringLiteral("labFindings"))->text();
    }
    static QAbstractItemModel* findings(HistoryWindow& window) {
        return window.findChild<QTableView*>(QStringLiteral("grdFindings"))->model();
    }

    QTemporaryDir data;
    QString path;
};

TEST_F(HistoryWindowTest, ShowsOneDatabasesRunsFindingsAndChanges) {
    HistoryWindow window(path, QStringLiteral("qvdata_001_2024"));
    QAbstractItemModel* runs = window.findChild<QTableView*>(QStringLiteral("grdRuns"))->model();
    ASSERT_EQ(runs->rowCount(), 3);
    EXPECT_EQ(runs->index(0, 0).data().toString(), QStringLiteral("3"));
    EXPECT_EQ(runs->index(1, 1).data().toString(), QStringLiteral("correct"));
    EXPECT_EQ(runs->index(2, 4).data().toString(), QStringLiteral("findings"));
    EXPECT_EQ(findings(window), nullptr);

    choose(window, {2});
    QAbstractItemModel* first = findings(window);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->rowCount(), 2);
    EXPECT_EQ(first->headerData(1, Qt::Horizontal).toString(), QStringLiteral("名称"));
    EXPECT_EQ(first->index(0, 1).data().toString(), QStringLiteral("现金"));
    EXPECT_TRUE(caption(window).contains(QStringLiteral("2 finding(s)"))) << caption(window).toStdString();

    choose(window, {0, 2});
    QAbstractItemModel* changes = findings(window);
    ASSERT_NE(changes, nullptr);
    ASSERT_EQ(changes->rowCount(), 3);
    EXPECT_EQ(changes->headerData(0, Qt::Horizontal).toString(), QStringLiteral("change"));
    EXPECT_EQ(changes->index(0, 0).data().toString(), QStringLiteral("fixed"));
    EXPECT_EQ(changes->index(0, 1).data().toString(), QStringLiteral("1001"));
    EXPECT_EQ(changes->index(1, 0).data().toString(), QStringLiteral("remaining"));
    EXPECT_EQ(changes->index(2, 0).data().toString(), QStringLiteral("new"));
    EXPECT_EQ(changes->index(2, 2).data().toString(), QStringLiteral("应付账款"));
    EXPECT_EQ(caption(window), QStringLiteral("Run 3 against run 1: 1 fixed, 1 remaining, 1 new"));

    choose(window, {1, 2});
    EXPECT_EQ(findings(window), nullptr);
    EXPECT_TRUE(caption(window).contains(QStringLiteral("not a check"))) << caption(window).toStdString();

    auto* database = window.findChild<QLineEdit*>(QStringLiteral("txtDatabase"));
    database->clear();
    window.reload();
    EXPECT_EQ(runs->rowCount(), 4);

    const QString target = qEnvironmentVariable("TALLOMAR_SCREENSHOT_DIR");
    if (target.isEmpty()) return;
    window.show();
    choose(window, {1, 3});
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    QTest::qWait(50);
    ASSERT_TRUE(window.grab().save(QDir(target).filePath(QStringLiteral("history.png"))));
}

}  // namespace
}  // namespace tallomar::test
