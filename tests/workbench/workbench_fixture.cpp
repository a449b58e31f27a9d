#include "workbench_fixture.h"

#include "platform/odbc/odbc.h"

#include <QDialog>
#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>

namespace tallomar::test {

namespace {
const char* kLedger =
    "DROP TABLE IF EXISTS ledger;"
    "CREATE TABLE ledger(cCode NVARCHAR(20), cName NVARCHAR(60), bad INT);"
    "INSERT INTO ledger VALUES ('1001', '库存现金', 1), ('1002', '银行存款', 0),"
    " ('1122', '应收账款', 1), ('2202', '应付账款', 0), ('6001', '主营业务收入', 1);";
}

void WorkbenchTest::SetUpTestSuite() {
    sandbox_ = new SandboxServer(SandboxServer::Data::Empty);
}

void WorkbenchTest::TearDownTestSuite() {
    delete sandbox_;
    sandbox_ = nullptr;
}

void WorkbenchTest::SetUp() {
    ASSERT_TRUE(folder.isValid());
    server().clearFaults();
    server().seedDatabase("acct", kLedger);
    server().seedDatabase("tempdb", "DROP TABLE IF EXISTS check_result; DROP TABLE IF EXISTS other_result;");
    session->cnAccount = odbc::Connection::open(sandbox_->odbcConnectionString(), 5);
    session->gDatabaseName = QStringLiteral("acct");
    session->gToolFolder = folder.path();
    server().clearReceivedBatches();
    tool.settings[QStringLiteral("Readme")] = QStringLiteral("本工具检查科目余额是否平衡。");
    tool.settings[QStringLiteral("ProjectDes")] = QStringLiteral("请按参考方案手工调整凭证。");
    tool.settings[QStringLiteral("ProjectType")] = QStringLiteral("0");
}

void WorkbenchTest::TearDown() {
    delete window.data();
}

void WorkbenchTest::writeScript(const QString& name, const QString& text) {
    QFile file(folder.filePath(name));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("\xEF\xBB\xBF");
    file.write(text.toUtf8());
}

std::unique_ptr<odbc::Connection> WorkbenchTest::connect() {
    return odbc::Connection::open(sandbox_->odbcConnectionString(), 5);
}

QString WorkbenchTest::scalar(const QString& sql) {
    auto connection = odbc::Connection::open(sandbox_->odbcConnectionString(QStringLiteral("acct")), 5);
    odbc::Statement statement(*connection);
    statement.execute(sql);
    EXPECT_TRUE(statement.fetch());
    return statement.text(0).value_or(QString());
}

void WorkbenchTest::execute(const QString& sql) {
    auto connection = odbc::Connection::open(sandbox_->odbcConnectionString(QStringLiteral("acct")), 5);
    odbc::Statement statement(*connection);
    statement.execute(sql);
    statement.discardResults();
}

QStringList WorkbenchTest::ledger() {
    auto connection = odbc::Connection::open(sandbox_->odbcConnectionString(QStringLiteral("acct")), 5);
    odbc::Statement statement(*connection);
    statement.execute(QStringLiteral("select cCode, cName, bad from ledger order by cCode"));
    QStringList rows;
    while (statement.fetch()) {
        QStringList cells;
        for (int column = 0; column < 3; ++column) cells << statement.text(column).value_or(QStringLiteral("NULL"));
        rows << cells.join(u'|');
    }
    return rows;
}

QStringList WorkbenchTest::received() {
    QStringList batches;
    for (const std::string& batch : server().receivedBatches()) batches << QString::fromStdString(batch);
    return batches;
}

void WorkbenchTest::addStandardCheck() {
    writeScript(QStringLiteral("check.sql"), kCheckScript);
    tool.addCheck(1, QStringLiteral("check.sql"), QStringLiteral("check_result"));
}

FrmMain& WorkbenchTest::openWindow() {
    window = new FrmMain(session, tool.reads());
    return *window;
}

QPushButton& WorkbenchTest::button(const char* name) {
    auto* found = window->findChild<QPushButton*>(QLatin1String(name));
    EXPECT_NE(found, nullptr) << name;
    return *found;
}

QWidget& WorkbenchTest::widget(const char* name) {
    auto* found = window->findChild<QWidget*>(QLatin1String(name));
    EXPECT_NE(found, nullptr) << name;
    return *found;
}

QString WorkbenchTest::status() {
    return window->findChild<QLabel*>(QStringLiteral("labResult"))->text();
}

QString WorkbenchTest::report() {
    return window->findChild<QPlainTextEdit*>(QStringLiteral("txtReport"))->toPlainText();
}

void WorkbenchTest::check() {
    dialogs.runForReal();
    window->cmdCheck_Click();
}

void WorkbenchTest::correct(const char* previewButton) {
    dialogs.runForReal();
    if (previewButton) {
        dialogs.answer([this, previewButton](QDialog& preview) {
            previewCounts = preview.findChild<QLabel*>(QStringLiteral("labCounts"))->text();
            previewTarget = preview.findChild<QLabel*>(QStringLiteral("labTarget"))->text();
            preview.findChild<QPushButton*>(QLatin1String(previewButton))->click();
            return preview.result();
        });
    }
    window->cmdRun_Click();
}

}  // namespace tallomar::test
