// The sandbox's own demo data: an account-set database for every account
// set and year the system databases list, ledgers with the faults their
// seed files promise, and the demo package's scripts over all of them:
// findings in some, none in others, a check that fails in one, and a
// correction that leaves one finding in the year 2007.
#include "batch_fixture.h"
#include "sandbox/database_folder.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>

#include <map>

namespace tallomar::test {
namespace {

using DemoData = BatchTest;

TEST_F(DemoData, EveryAccountSetDatabaseTheSystemDatabasesListExists) {
    std::vector<std::string> databases;
    for (const auto& row :
         rows("select cAcc_ID, iYear from UA_Account_sub where iYear <> 9999 order by cAcc_ID, iYear"))
        databases.push_back("qvdata_" + row[0].value_or("") + "_" + row[1].value_or(""));
    for (const auto& row : rows("select DBName from master..sub_list")) databases.push_back(row[0].value_or(""));
    EXPECT_EQ(databases.size(), 8u);  // six account-set years, two of them also single-company
    for (const auto& database : databases) {
        auto account = connect(database);
        ASSERT_TRUE(account->connected()) << database << ": " << account->error();
        EXPECT_NE(value("select count(*) from ledger_entry", account.get()), "0") << database;
        EXPECT_NE(value("select count(*) from ledger_voucher", account.get()), "0") << database;
        // The one account set restored without its chart of accounts.
        EXPECT_EQ(value("select count(*) from sysobjects where name = 'ledger_account'", account.get()),
                  database == "qvdata_006_2008" ? "0" : "1")
            << database;
    }
}

// The faults each ledger's seed file describes, found by what a check
// script would ask.
struct LedgerFaults {
    const char* database;
    Rows unmatchedCodes;    // entry: voucher, line, code
    Rows unbalanced;        // voucher
    Rows onParentAccounts;  // entry: voucher, line
    Rows postedUnchecked;   // voucher
    Rows outsidePeriod;     // voucher
};

std::ostream& operator<<(std::ostream& out, const LedgerFaults& faults) {
    return out << faults.database;
}

class DemoLedger : public BatchTest, public ::testing::WithParamInterface<LedgerFaults> {};

TEST_P(DemoLedger, HoldsExactlyItsDeliberateFaults) {
    const LedgerFaults& expected = GetParam();
    ok(std::string("use ") + expected.database);
    EXPECT_EQ(rows("select e.iNo, e.iLine, e.cCode from ledger_entry e "
                   "where not exists (select 1 from ledger_account a where a.cCode = e.cCode) order by e.iNo, e.iLine"),
              expected.unmatchedCodes);
    EXPECT_EQ(rows("select iNo from ledger_entry group by iNo having sum(mDebit) <> sum(mCredit) order by iNo"),
              expected.unbalanced);
    EXPECT_EQ(rows("select e.iNo, e.iLine from ledger_entry e join ledger_account a on a.cCode = e.cCode "
                   "where a.bEnd = 0 order by e.iNo, e.iLine"),
              expected.onParentAccounts);
    EXPECT_EQ(rows("select iNo from ledger_voucher where bPosted = 1 and cChecker is null order by iNo"),
              expected.postedUnchecked);
    EXPECT_EQ(rows("select iNo from ledger_voucher where cast(substring(dDate, 6, 2) as int) <> iPeriod order by iNo"),
              expected.outsidePeriod);
    // Every entry belongs to a voucher and every voucher has entries.
    EXPECT_EQ(value("select count(*) from ledger_entry e where not exists "
                    "(select 1 from ledger_voucher v where v.iNo = e.iNo)"),
              "0");
    EXPECT_EQ(value("select count(*) from ledger_voucher v where not exists "
                    "(select 1 from ledger_entry e where e.iNo = v.iNo)"),
              "0");
}

INSTANTIATE_TEST_SUITE_P(
    Sandbox, DemoLedger,
    ::testing::Values(LedgerFaults{"qvdata_001_2008",
                                   {{"2", "1", " 1001"}, {"3", "2", " 6001"}, {"4", "1", " 2202"}},
                                   {{"7"}},
                                   {{"9", "2"}},
                                   {{"11"}},
                                   {}},
                      LedgerFaults{"qvdata_001_2007", {{"2", "1", "1131"}}, {}, {}, {}, {{"3"}}},
                      LedgerFaults{"qvdata_002_2008", {{"4", "2", "１００２"}}, {{"5"}}, {}, {}, {}},
                      LedgerFaults{"qvdata_005_2008", {}, {}, {}, {}, {}},
                      LedgerFaults{"qvdata_005_2009", {{"1", "2", " 1122"}, {"3", "1", " 6602"}}, {}, {}, {}, {}}),
    [](const ::testing::TestParamInfo<LedgerFaults>& info) { return std::string(info.param.database); });

// The demo package's scripts, cut at GO lines, as the script runner sends
// them after "Use <database>".
class DemoPackage : public BatchTest {
protected:
    void runScript(const std::string& file, const std::string& database, std::vector<OdbcBatch>* batches = nullptr) {
        QFile script(QDir(QStringLiteral(TALLOMAR_DEMO_SOURCE "/scripts")).filePath(QString::fromStdString(file)));
        ASSERT_TRUE(script.open(QIODevice::ReadOnly)) << file;
        const QString text = QString::fromUtf8(script.readAll());  // drops the byte-order mark
        ok("Use " + database);
        QString batch;
        const auto send = [&] {
            if (batch.trimmed().isEmpty()) return;
            const OdbcBatch sent = ok(batch.toStdString());
            if (batches) batches->push_back(sent);
            batch.clear();
        };
        static const QRegularExpression go(QStringLiteral("^go(?![A-Za-z0-9_])"),
                                           QRegularExpression::CaseInsensitiveOption);
        for (const QString& line : text.split(QRegularExpression(QStringLiteral("\r\n|\r|\n")))) {
            if (go.match(line).hasMatch())
                send();
            else
                batch += line + QStringLiteral("\r\n");
        }
        send();
    }

    Rows findings() { return rows("select 凭证号, 行号, 科目编码 from tempdb..[demo_check]"); }
};

TEST_F(DemoPackage, CheckFindsTheLeadingBlanksCorrectionTrimsThemCheckIsThenClean) {
    runScript("check_prepare.sql", "qvdata_001_2008");
    runScript("check_voucher.sql", "qvdata_001_2008");
    EXPECT_EQ(findings(), (Rows{{"2", "1", " 1001"}, {"3", "2", " 6001"}, {"4", "1", " 2202"}}));

    std::vector<OdbcBatch> correction;
    runScript("correct_voucher.sql", "qvdata_001_2008", &correction);
    ASSERT_EQ(correction.size(), 1u);
    EXPECT_EQ(correction[0].results.at(0).rowCount, 3);

    runScript("check_prepare.sql", "qvdata_001_2008");
    runScript("check_voucher.sql", "qvdata_001_2008");
    EXPECT_EQ(findings(), Rows{});
    ok("use qvdata_001_2008");
    EXPECT_EQ(rows("select cCode from ledger_entry where iNo = 2 and iLine = 1"), (Rows{{"1001"}}));
}

TEST_F(DemoPackage, ACodeThatNoTrimmingRepairsStaysForManualWork) {
    runScript("check_prepare.sql", "qvdata_001_2007");
    runScript("check_voucher.sql", "qvdata_001_2007");
    EXPECT_EQ(findings(), (Rows{{"2", "1", "1131"}}));
    std::vector<OdbcBatch> correction;
    runScript("correct_voucher.sql", "qvdata_001_2007", &correction);
    ASSERT_EQ(correction.size(), 1u);
    EXPECT_EQ(correction[0].results.at(0).rowCount, 0);
    // The re-check after the correction still shows it.
    runScript("check_prepare.sql", "qvdata_001_2007");
    runScript("check_voucher.sql", "qvdata_001_2007");
    EXPECT_EQ(findings(), (Rows{{"2", "1", "1131"}}));
}

TEST_F(DemoPackage, ASweepOverEveryAccountSetFindsSomeCleanOnesAndOneWhereTheCheckFails) {
    QFile file(QStringLiteral(TALLOMAR_DEMO_SOURCE "/scripts/check_voucher.sql"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString checkScript =
        QString::fromUtf8(file.readAll()).remove(QRegularExpression(QStringLiteral("(?m)^GO\\s*$")));
    std::map<std::string, std::size_t> found;
    for (const auto& row :
         rows("select cAcc_ID, iYear from UA_Account_sub where iYear <> 9999 order by cAcc_ID, iYear")) {
        const std::string database = "qvdata_" + row[0].value_or("") + "_" + row[1].value_or("");
        runScript("check_prepare.sql", database);
        ok("Use " + database);
        const OdbcBatch check = client->run(checkScript.toStdString());
        if (check.failed()) {
            EXPECT_EQ(errorsOf(check), (std::vector<std::string>{"Invalid object name 'ledger_account'."})) << database;
            found[database] = 999;
            continue;
        }
        found[database] = std::stoul(value("select count(*) from tempdb..demo_check").value_or("0"));
    }
    EXPECT_EQ(found, (std::map<std::string, std::size_t>{{"qvdata_001_2007", 1},
                                                         {"qvdata_001_2008", 3},
                                                         {"qvdata_002_2008", 1},
                                                         {"qvdata_005_2008", 0},
                                                         {"qvdata_005_2009", 2},
                                                         {"qvdata_006_2008", 999}}));
}

TEST(DatabaseCapacity, OneStatementReachesEveryDemoDatabase) {
    SandboxServer sandbox;
    const auto names = sandbox::DatabaseFolder(TALLOMAR_SANDBOX_DEMO_DATA).names();
    ASSERT_LE(names.size(), sandbox::DatabaseFolder::attachLimit() + 1);
    std::string counting = "select 0";
    for (const auto& name : names) counting += " + (select count(*) from " + name + "..sysobjects)";
    OdbcClient client(sandbox.odbcConnectionString(QStringLiteral("master")).toStdString());
    ASSERT_TRUE(client.connected()) << client.error();
    const OdbcBatch batch = client.run(counting);
    EXPECT_FALSE(batch.failed()) << batch.firstError();
}

TEST(DatabaseCapacity, AServerHoldsMoreDatabasesThanOneStatementReachesAndSaysWhenOneIsTooMany) {
    SandboxServer sandbox;
    const std::size_t limit = sandbox::DatabaseFolder::attachLimit();
    for (std::size_t n = 0; n <= limit + 1; ++n) {
        const std::string name = "extra_" + std::to_string(n);
        ASSERT_NO_THROW(sandbox.server().seedDatabase(
            name, "CREATE TABLE marker(a INT); INSERT INTO marker VALUES (" + std::to_string(n) + ");"));
    }
    OdbcClient client(sandbox.odbcConnectionString(QStringLiteral("extra_0")).toStdString());
    ASSERT_TRUE(client.connected()) << client.error();
    // One database after another: each statement has room for its own.
    std::string oneByOne =
        "select count(*) from master..sub_list\r\nselect count(*) from qvdata_001_2008..ledger_account";
    std::string allAtOnce = "select sum(a) from (select a from marker";
    for (std::size_t n = 1; n <= limit + 1; ++n) {
        const std::string marker = "extra_" + std::to_string(n) + "..marker";
        oneByOne += "\r\nselect a from " + marker;
        allAtOnce += " union all select a from " + marker;
    }
    const OdbcBatch batch = client.run(oneByOne);
    ASSERT_FALSE(batch.failed()) << batch.firstError();
    EXPECT_EQ(batch.results.back().rows, (Rows{{std::to_string(limit + 1)}}));

    const std::string tooMany = client.run(allAtOnce + ") x").firstError();
    EXPECT_NE(tooMany.find("The sandbox server reaches at most " + std::to_string(limit) +
                           " other databases from one statement; 'extra_"),
              std::string::npos)
        << tooMany;
    EXPECT_EQ(client.run("select count(*) from marker").results.at(0).rows, (Rows{{"1"}}));
}

}  // namespace
}  // namespace tallomar::test
