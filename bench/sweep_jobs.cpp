// A sweep over 24 account-set databases whose check waits half a second on
// the server (WAITFOR DELAY), with one job and with four: the four-job sweep
// has to be at least three times as fast. Both include logging in to every
// database and listing them from the system database.
#include "jet4writer/description.h"
#include "jet4writer/jet4_writer.h"
#include "logic/sweep/sweep_run.h"
#include "logic/sweep/sweep_targets.h"
#include "measure.h"
#include "support/sandbox_server.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include <vector>

namespace {

constexpr int kDatabases = 24;
constexpr int kRuns = 3;
constexpr double kWantedSpeedUp = 3.0;

// A ledger with one entry on a code the chart of accounts lacks.
const char* const kLedger =
    "CREATE TABLE ledger_account (cCode NVARCHAR(20) NOT NULL PRIMARY KEY, cName NVARCHAR(60) NOT NULL);"
    "INSERT INTO ledger_account VALUES ('1001', '库存现金');"
    "CREATE TABLE ledger_entry (iNo INT NOT NULL, iLine INT NOT NULL, cCode NVARCHAR(20) NOT NULL,"
    " cDigest NVARCHAR(60), mDebit FLOAT NOT NULL DEFAULT 0, mCredit FLOAT NOT NULL DEFAULT 0);"
    "INSERT INTO ledger_entry VALUES (1, 1, '1001', '提现', 100, 0);"
    "INSERT INTO ledger_entry VALUES (1, 2, ' 1002', '提现', 0, 100);";

bool makePackage(const QString& folder) {
    const QDir demo(QStringLiteral(TALLOMAR_DEMO_SOURCE));
    QFile description(demo.filePath(QStringLiteral("ZOL.json")));
    if (!description.open(QIODevice::ReadOnly)) return false;
    tallomar::jet4::writeDatabase(tallomar::jet4::parseDescription(description.readAll(), QStringLiteral("ZOL.json")),
                                  QDir(folder).filePath(QStringLiteral("ZOL.mdb")));
    for (const QString& script : {QStringLiteral("check_prepare.sql"), QStringLiteral("check_voucher.sql")}) {
        QFile source(demo.filePath(QStringLiteral("scripts/") + script));
        QFile copy(QDir(folder).filePath(script));
        if (!source.open(QIODevice::ReadOnly) || !copy.open(QIODevice::WriteOnly)) return false;
        QByteArray text = source.readAll();
        // After the byte-order mark: every check waits half a second on the server.
        if (script == u"check_prepare.sql") text.insert(3, "WAITFOR DELAY '00:00:00.500'\r\nGO\r\n");
        copy.write(text);
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    using tallomar::test::SandboxServer;
    SandboxServer sandbox(SandboxServer::Data::Empty);
    std::string system =
        "CREATE TABLE UA_Account (cAcc_ID NVARCHAR(3) NOT NULL PRIMARY KEY, cAcc_Name NVARCHAR(60) NOT NULL);"
        "CREATE TABLE UA_Account_sub (cAcc_ID NVARCHAR(3) NOT NULL, iYear INT NOT NULL);";
    for (int account = 101; account < 101 + kDatabases; ++account) {
        const std::string id = std::to_string(account);
        system += "INSERT INTO UA_Account VALUES ('" + id + "', '测试账套" + id + "');";
        system += "INSERT INTO UA_Account_sub VALUES ('" + id + "', 2010);";
        system += "INSERT INTO UA_Account_sub VALUES ('" + id + "', 9999);";
        sandbox.server().seedDatabase("qvdata_" + id + "_2010", kLedger);
    }
    sandbox.server().seedDatabase("QVSystem", system);

    QTemporaryDir package;
    if (!makePackage(package.path())) {
        std::fprintf(stderr, "cannot make the package\n");
        return 1;
    }
    tallomar::Session login;
    login.gToolFolder = package.path();
    login.gToolDbPath = package.filePath(QStringLiteral("ZOL.mdb"));
    login.gServerName = sandbox.serverName();
    login.gUserName = QString::fromLatin1(SandboxServer::User);
    login.gPassWord = QString::fromLatin1(SandboxServer::Password);
    login.gSoft = QStringLiteral("R6 财务标准版");

    const auto sweep = [&](int jobs, qint64& findings) {
        QElapsedTimer clock;
        clock.start();
        tallomar::SweepRun run(login, tallomar::listSweepTargets(login), jobs);
        findings = 0;
        for (const tallomar::DatabaseCheck& check : run.run()) findings += check.findings.value_or(-1000);
        return double(clock.nsecsElapsed()) / 1e9;
    };
    std::vector<double> one, four;
    qint64 oneFindings = 0, fourFindings = 0;
    for (int run = 0; run < kRuns; ++run) {
        one.push_back(sweep(1, oneFindings));
        four.push_back(sweep(4, fourFindings));
    }
    const double speedUp = bench::median(one) / bench::median(four);
    std::printf("sweep of %d databases, each check waiting 0.5 s on the server (median of %d runs)\n", kDatabases,
                kRuns);
    std::printf("  --jobs 1: %.2f s  (%lld findings)\n", bench::median(one), static_cast<long long>(oneFindings));
    std::printf("  --jobs 4: %.2f s  (%lld findings)\n", bench::median(four), static_cast<long long>(fourFindings));
    std::printf("  speed-up %.2fx (wanted at least %.1fx)\n", speedUp, kWantedSpeedUp);
    const bool good = speedUp >= kWantedSpeedUp && oneFindings == kDatabases && fourFindings == kDatabases;
    std::printf("%s\n", good ? "PASS" : "FAIL");
    return good ? 0 : 1;
}
