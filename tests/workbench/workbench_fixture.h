#pragma once

#include "fake_tool.h"
#include "support/sandbox_server.h"
#include "support/scripted_dialogs.h"
#include "windows/workbench/frm_main.h"

#include <gtest/gtest.h>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>

namespace tallomar::test {

// A sandbox server holding the account-set database "acct" with a ledger of
// three faulty and two sound records, a package folder for scripts, a
// session on both, and a main window over a FakeTool. The check script kCheckScript leaves the
// faulty records in tempdb..check_result; kRepairScript repairs them.
class WorkbenchTest : public ::testing::Test {
protected:
    static void SetUpTestSuite();
    static void TearDownTestSuite();
    void SetUp() override;
    void TearDown() override;

    static inline const QString kCheckScript = QStringLiteral(
        "if object_id('tempdb..check_result') is not null drop table tempdb..check_result\r\n"
        "GO\r\n"
        "select cCode as 科目编码, cName as 名称, bad as ZT into tempdb..check_result from ledger where bad = 1\r\n");
    static inline const QString kRepairScript = QStringLiteral("update ledger set bad = 0 where bad = 1\r\n");

    static sandbox::Server& server() { return sandbox_->server(); }
    // Writes a script into the package folder (UTF-8 with a byte-order mark).
    void writeScript(const QString& name, const QString& text);
    // A new connection to the server, logged in to master.
    static std::unique_ptr<odbc::Connection> connect();
    // Runs SQL on the account-set database on a connection of its own.
    static QString scalar(const QString& sql);
    static void execute(const QString& sql);
    // Every row of the ledger, one text per row, in code order.
    static QStringList ledger();
    // Every batch the server received since the test began.
    static QStringList received();

    // A check step running kCheckScript with result table check_result.
    void addStandardCheck();
    FrmMain& openWindow();
    QPushButton& button(const char* name);
    QWidget& widget(const char* name);
    QString status();
    QString report();
    // Presses cmdCheck (cmdRun), letting its progress box run.
    void check();
    // With `previewButton` (cmdCommit or cmdUndo), answers the question
    // before the correction is kept by pressing it, keeping the counts it
    // showed in previewCounts and the ledger it named in previewTarget.
    void correct(const char* previewButton = nullptr);
    QString previewCounts;
    QString previewTarget;

    FakeTool tool;
    ScriptedDialogs dialogs;
    QTemporaryDir folder;
    QPointer<FrmMain> window;
    // The session the windows work in.
    std::shared_ptr<Session> session = std::make_shared<Session>();

private:
    static inline SandboxServer* sandbox_ = nullptr;
};

}  // namespace tallomar::test
