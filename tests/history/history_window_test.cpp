// The history window over a prepared history: the current database's runs
// newest first with their Chinese names, a check's findings, and which
// records two checks fixed, kept and added.
#include "recorded_runs.h"

#include "logic/history/run_recorder.h"
#include "windows/history/history_window.h"

#include <gtest/gtest.h>
#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

namespace tallomar::test {
namespace {

using history::FindingRow;
using history::RunKind;
using history::RunStatus;

class HistoryWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        path = data.filePath(QStringLiteral("history.sqlite"));
        record(RunKind::Check,
               {{QStringLiteral("1001"), QStringLiteral("现金")}, {QStringLiteral("1122"), std::nullopt}});
        record(RunKind::Correct, {});
        record(RunKind::Check,
               {{QStringLiteral("1122"), std::nullopt}, {QStringLiteral("2202"), QStringLiteral("应付账款")}});
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
        if (facts.kind == RunKind::Correct)
            recorder.finish({RunStatus::Ok, texts::kStatusRepaired, 2, true, 0});
        else
            recorder.finish({rows.empty() ? RunStatus::Ok : RunStatus::Findings,
                             texts::findingsStatus(qint64(rows.size())),
                             qint64(rows.size()),
                             {},
                             {}});
    }
    void record(RunKind kind, const std::vector<FindingRow>& rows) { record(demoFacts(kind), rows); }

    QTableView* runs(HistoryWindow& window) { return window.findChild<QTableView*>(QStringLiteral("grdRuns")); }
    QPushButton* compare(HistoryWindow& window) { return window.findChild<QPushButton*>(QStringLiteral("cmdCompare")); }
    // Chooses the list's rows `rows` (0 is the newest run).
    void choose(HistoryWindow& window, std::initializer_list<int> rows) {
        QTableView* list = runs(window);
        list->clearSelection();
        for (int row : rows)
            list->selectionModel()->select(list->model()->index(row, 0),
                                           QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
    static QString caption(HistoryWindow& window) {
        return window.findChild<QLabel*>(QStringLiteral("labFindings"))->text();
    }
    static QAbstractItemModel* findings(HistoryWindow& window) {
        return window.findChild<QTableView*>(QStringLiteral("grdFindings"))->model();
    }
    static QString cell(QAbstractItemModel* model, int row, int column) {
        return model->index(row, column).data().toString();
    }

    QTemporaryDir data;
    QString path;
};

TEST_F(HistoryWindowTest, ListsTheDatabasesRunsOpensACheckAndComparesTwo) {
    HistoryWindow window(path, QStringLiteral("qvdata_001_2024"));
    EXPECT_EQ(window.windowTitle(), QStringLiteral("运行历史"));
    QAbstractItemModel* list = runs(window)->model();
    QStringList headers;
    for (int c = 0; c < list->columnCount(); ++c) headers << list->headerData(c, Qt::Horizontal).toString();
    EXPECT_EQ(headers.join(QLatin1Char('/')),
              QStringLiteral("编号/类型/开始时间/结束时间/服务器/数据库/工具/操作员/状态/发现数/修复后/修改"));
    ASSERT_EQ(list->rowCount(), 3);
    EXPECT_EQ(cell(list, 0, 0), QStringLiteral("3"));
    EXPECT_EQ(cell(list, 0, 1), QStringLiteral("检查"));
    EXPECT_EQ(cell(list, 0, 7), history::ProcessIdentity::current().osUser);
    EXPECT_EQ(cell(list, 0, 8), QStringLiteral("有发现"));
    EXPECT_EQ(cell(list, 0, 9), QStringLiteral("2"));
    EXPECT_EQ(cell(list, 0, 10), QString());  // a check has no re-check
    EXPECT_EQ(cell(list, 0, 11), QString());
    EXPECT_EQ(cell(list, 1, 1), QStringLiteral("修复"));
    EXPECT_EQ(cell(list, 1, 8), QStringLiteral("成功"));
    EXPECT_EQ(cell(list, 1, 9), QStringLiteral("2"));
    EXPECT_EQ(cell(list, 1, 10), QStringLiteral("0"));
    EXPECT_EQ(cell(list, 1, 11), QStringLiteral("已提交"));
    EXPECT_EQ(cell(list, 2, 5), QStringLiteral("qvdata_001_2024"));
    EXPECT_EQ(cell(list, 2, 6), QStringLiteral("科目检查"));
    EXPECT_FALSE(compare(window)->isEnabled());

    // Opening the first check shows what it found.
    window.grdRuns_Activated(list->index(2, 0));
    QAbstractItemModel* found = findings(window);
    ASSERT_EQ(found->rowCount(), 2);
    EXPECT_EQ(found->headerData(1, Qt::Horizontal).toString(), QStringLiteral("名称"));
    EXPECT_EQ(cell(found, 0, 1), QStringLiteral("现金"));
    EXPECT_EQ(caption(window), QStringLiteral("共找到[2]条记录"));

    // A check and a correction do not compare; two checks do.
    choose(window, {1, 2});
    EXPECT_FALSE(compare(window)->isEnabled());
    choose(window, {0, 2});
    ASSERT_TRUE(compare(window)->isEnabled());
    QTest::mouseClick(compare(window), Qt::LeftButton);
    QAbstractItemModel* changes = findings(window);
    ASSERT_EQ(changes->rowCount(), 3);
    EXPECT_EQ(changes->headerData(0, Qt::Horizontal).toString(), QStringLiteral("状态"));
    EXPECT_EQ(cell(changes, 0, 0), QStringLiteral("已修复"));
    EXPECT_EQ(cell(changes, 0, 1), QStringLiteral("1001"));
    EXPECT_EQ(cell(changes, 1, 0), QStringLiteral("仍存在"));
    EXPECT_EQ(cell(changes, 1, 1), QStringLiteral("1122"));
    EXPECT_EQ(cell(changes, 2, 0), QStringLiteral("新出现"));
    EXPECT_EQ(cell(changes, 2, 2), QStringLiteral("应付账款"));
    EXPECT_EQ(caption(window), QStringLiteral("已修复 1，仍存在 1，新出现 1"));

    const QString target = qEnvironmentVariable("TALLOMAR_SCREENSHOT_DIR");
    if (!target.isEmpty()) {
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        QTest::qWait(50);
        ASSERT_TRUE(window.grab().save(QDir(target).filePath(QStringLiteral("history.png"))));
    }

    // Every database's runs once the filter is off; checks of two databases do not compare.
    window.findChild<QCheckBox*>(QStringLiteral("chkCurrentDatabase"))->setChecked(false);
    ASSERT_EQ(list->rowCount(), 4);
    EXPECT_EQ(cell(list, 0, 5), QStringLiteral("qvdata_002_2024"));
    choose(window, {0, 1});
    EXPECT_FALSE(compare(window)->isEnabled());
}

TEST_F(HistoryWindowTest, AnUnreadableHistoryIsSaidInTheWindow) {
    QFile damaged(path);
    ASSERT_TRUE(damaged.open(QIODevice::WriteOnly));
    damaged.write(QByteArray(4096, 'x'));
    damaged.close();
    HistoryWindow window(path, QStringLiteral("qvdata_001_2024"));
    EXPECT_EQ(runs(window)->model()->rowCount(), 0);
    EXPECT_TRUE(caption(window).contains(path)) << caption(window).toStdString();
}

}  // namespace
}  // namespace tallomar::test
