#include "sandbox_account.h"

namespace tallomar::test {

void SandboxAccount::SetUpTestSuite() {
    sandbox_ = new SandboxServer(SandboxServer::Data::Empty);
    sandbox_->server().seedDatabase("shop", "CREATE TABLE t(a INT);");
}

void SandboxAccount::TearDownTestSuite() {
    delete sandbox_;
    sandbox_ = nullptr;
}

void SandboxAccount::SetUp() {
    server().clearFaults();
    session.cnAccount = connect();
    session.gDatabaseName = QStringLiteral("shop");
    odbc::Statement statement(*session.cnAccount);
    statement.execute(QStringLiteral("delete from shop..t"));
    statement.discardResults();
    server().clearReceivedBatches();
}

void SandboxAccount::TearDown() {
    server().clearFaults();
}

std::unique_ptr<odbc::Connection> SandboxAccount::connect() {
    return odbc::Connection::open(sandbox_->odbcConnectionString(), 5);
}

QStringList SandboxAccount::received() {
    QStringList batches;
    for (const std::string& batch : server().receivedBatches()) batches << QString::fromStdString(batch);
    return batches;
}

QStringList SandboxAccount::tableValues() {
    auto connection = connect();
    odbc::Statement statement(*connection);
    statement.execute(QStringLiteral("select a from shop..t order by a"));
    QStringList values;
    while (statement.fetch()) values << statement.text(0).value_or(QStringLiteral("NULL"));
    statement.discardResults();
    return values;
}

}  // namespace tallomar::test
