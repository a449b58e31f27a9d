#include "platform/odbc/connection_string.h"
#include "platform/odbc/odbc.h"

#include <gtest/gtest.h>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

using tallomar::odbc::chooseDriver;
using tallomar::odbc::ConnectionPlan;
using tallomar::odbc::DriverChoice;
using tallomar::odbc::InstalledDriver;
using tallomar::odbc::planConnection;
using tallomar::odbc::ServerLogin;

namespace {

const DriverChoice kFreeTds{QStringLiteral("/opt/odbc/libtdsodbc.so"), true};
const DriverChoice kMicrosoft{QStringLiteral("{ODBC Driver 18 for SQL Server}"), false};

ServerLogin login(const QString& server, const QString& database = QString(),
                  const QString& user = QStringLiteral("sa"), const QString& password = QStringLiteral("p")) {
    return {server, database, user, password};
}

QString forFreeTds(const ServerLogin& values) {
    return planConnection(values, kFreeTds).connectionString;
}

}  // namespace

TEST(ConnectionPlan, FreeTdsGetsEveryValueBracedWithItsPortAndVersion) {
    const ConnectionPlan plan = planConnection(login(QStringLiteral("db1"), QStringLiteral("QVSystem")), kFreeTds);
    EXPECT_EQ(plan.connectionString, QStringLiteral("Driver={/opt/odbc/libtdsodbc.so};Server={db1};Port={1433};"
                                                    "Database={QVSystem};UID={sa};PWD={p};TDS_Version={7.4};"));
    EXPECT_TRUE(plan.dataSourceLines.isEmpty());
    EXPECT_TRUE(plan.databaseAfterLogin.isEmpty());
}

TEST(ConnectionPlan, EmptyDatabaseLeavesTheLoginsDefault) {
    EXPECT_FALSE(forFreeTds(login(QStringLiteral("db1"))).contains(QStringLiteral("Database")));
    EXPECT_TRUE(
        forFreeTds(login(QStringLiteral("db1"), {}, QStringLiteral("sa"), {})).contains(QStringLiteral(";PWD={};")));
}

TEST(ConnectionPlan, LocalServerNamesMeanLoopback) {
    for (const QString& name :
         {QStringLiteral("(local)"), QStringLiteral("(LOCAL)"), QStringLiteral("."), QStringLiteral("localhost"),
          QStringLiteral("LocalHost"), QStringLiteral(" (local) ")}) {
        const QString out = forFreeTds(login(name));
        EXPECT_TRUE(out.contains(QStringLiteral(";Server={127.0.0.1};")))
            << name.toStdString() << " → " << out.toStdString();
    }
    EXPECT_TRUE(forFreeTds(login(QStringLiteral("local"))).contains(QStringLiteral(";Server={local};")));
}

TEST(ConnectionPlan, PortBecomesItsOwnFieldForFreeTds) {
    const QString out = forFreeTds(login(QStringLiteral("(local),14330")));
    EXPECT_TRUE(out.contains(QStringLiteral(";Server={127.0.0.1};Port={14330};"))) << out.toStdString();
}

// FreeTDS refuses a connection string with a version but no port.
TEST(ConnectionPlan, ServerWithoutPortGetsTheDefaultPortForFreeTds) {
    EXPECT_TRUE(
        forFreeTds(login(QStringLiteral("(local)"))).contains(QStringLiteral(";Server={127.0.0.1};Port={1433};")));
    EXPECT_FALSE(
        planConnection(login(QStringLiteral("db1")), kMicrosoft).connectionString.contains(QStringLiteral("1433")));
}

TEST(ConnectionPlan, InstanceNameIsKept) {
    const QString out = forFreeTds(login(QStringLiteral(".\\SQLEXPRESS")));
    EXPECT_TRUE(out.contains(QStringLiteral(";Server={127.0.0.1\\SQLEXPRESS};"))) << out.toStdString();
    EXPECT_FALSE(out.contains(QStringLiteral("Port=")));
}

// Microsoft's drivers read "}}" back as one brace.
TEST(ConnectionPlan, MicrosoftDriverKeepsHostCommaPortAndDoublesBraces) {
    const ConnectionPlan plan = planConnection(login(QStringLiteral("localhost,1433"), QStringLiteral("d}b"),
                                                     QStringLiteral("u"), QStringLiteral("a};PWD={x")),
                                               kMicrosoft);
    EXPECT_EQ(plan.connectionString, QStringLiteral("Driver={ODBC Driver 18 for SQL Server};Server={127.0.0.1,1433};"
                                                    "Database={d}}b};UID={u};PWD={a}};PWD={x};"));
    EXPECT_TRUE(plan.databaseAfterLogin.isEmpty());
}

TEST(ConnectionPlan, ValuesThatWouldSplitStayInsideTheirBraces) {
    const QString out = forFreeTds(login(QStringLiteral("s"), QStringLiteral("d;Server=h,1"), QStringLiteral(" a=b "),
                                         QStringLiteral("x;Uid=sa;Pwd=")));
    EXPECT_EQ(out, QStringLiteral("Driver={/opt/odbc/libtdsodbc.so};Server={s};Port={1433};Database={d;Server=h,1};"
                                  "UID={ a=b };PWD={x;Uid=sa;Pwd=};TDS_Version={7.4};"));
    EXPECT_TRUE(forFreeTds(login(QStringLiteral("s"), {}, QStringLiteral("sa"), QStringLiteral("{open")))
                    .contains(QStringLiteral(";PWD={{open};")));
}

// FreeTDS 1.3 ends a braced value at any "};" and keeps "}}" as it stands:
// a brace in the user or password goes as SQLConnect's argument instead,
// with the server in a private data source and the database chosen after.
TEST(ConnectionPlan, BraceInTheLoginGoesThroughAPrivateDataSourceForFreeTds) {
    for (const ServerLogin& values :
         {login(QStringLiteral("(local),1500"), QStringLiteral("QVSystem"), QStringLiteral("sa"),
                QStringLiteral("a};b")),
          login(QStringLiteral("(local),1500"), QStringLiteral("QVSystem"), QStringLiteral("u}"))}) {
        const ConnectionPlan plan = planConnection(values, kFreeTds);
        EXPECT_TRUE(plan.connectionString.isEmpty()) << plan.connectionString.toStdString();
        EXPECT_EQ(plan.dataSourceLines,
                  (QStringList{QStringLiteral("Driver = /opt/odbc/libtdsodbc.so"), QStringLiteral("Server = 127.0.0.1"),
                               QStringLiteral("Port = 1500"), QStringLiteral("TDS_Version = 7.4")}));
        EXPECT_EQ(plan.databaseAfterLogin, QStringLiteral("QVSystem"));
    }
    EXPECT_EQ(planConnection(login(QStringLiteral("s"), {}, QStringLiteral("a}")), {QStringLiteral("{FreeTDS}"), true})
                  .dataSourceLines.constFirst(),
              QStringLiteral("Driver = FreeTDS"));
}

TEST(ConnectionPlan, DatabaseWithABraceIsChosenAfterTheLoginForFreeTds) {
    const ConnectionPlan plan = planConnection(login(QStringLiteral("s"), QStringLiteral("a};Server=x")), kFreeTds);
    EXPECT_FALSE(plan.connectionString.contains(QStringLiteral("Database"))) << plan.connectionString.toStdString();
    EXPECT_FALSE(plan.connectionString.isEmpty());
    EXPECT_EQ(plan.databaseAfterLogin, QStringLiteral("a};Server=x"));
}

TEST(ConnectionPlan, ServerNameWithALineBreakIsRefused) {
    EXPECT_THROW(planConnection(login(QStringLiteral("s\nDriver = x")), kFreeTds), tallomar::odbc::Error);
}

TEST(ConnectionPlan, DriverPathWithSemicolonIsBraced) {
    const QString out =
        planConnection(login(QStringLiteral("s")), {QStringLiteral("/a;b/libtdsodbc.so"), true}).connectionString;
    EXPECT_TRUE(out.startsWith(QStringLiteral("Driver={/a;b/libtdsodbc.so};"))) << out.toStdString();
}

TEST(DriverChoice, RegisteredSqlServerComesFirst) {
    const DriverChoice choice = chooseDriver(
        {{QStringLiteral("FreeTDS"), QStringLiteral("libtdsodbc.so")},
         {QStringLiteral("ODBC Driver 18 for SQL Server"), QStringLiteral("/opt/microsoft/libmsodbcsql-18.so")},
         {QStringLiteral("SQL Server"), QStringLiteral("/x/libother.so")}},
        QStringLiteral("/usr/lib/libtdsodbc.so"));
    EXPECT_EQ(choice.driver, QStringLiteral("{SQL Server}"));
    EXPECT_FALSE(choice.freeTds);
}

TEST(DriverChoice, SqlServerNameGivenToFreeTdsStillGetsFreeTdsFields) {
    const DriverChoice choice =
        chooseDriver({{QStringLiteral("SQL Server"), QStringLiteral("/usr/lib/odbc/libtdsodbc.so")}}, {});
    EXPECT_EQ(choice.driver, QStringLiteral("{SQL Server}"));
    EXPECT_TRUE(choice.freeTds);
}

TEST(DriverChoice, MicrosoftDriver18BeforeDriver17) {
    const DriverChoice choice =
        chooseDriver({{QStringLiteral("ODBC Driver 17 for SQL Server"), QStringLiteral("/o/libmsodbcsql-17.so")},
                      {QStringLiteral("ODBC Driver 18 for SQL Server"), QStringLiteral("/o/libmsodbcsql-18.so")},
                      {QStringLiteral("FreeTDS"), QStringLiteral("libtdsodbc.so")}},
                     QStringLiteral("/usr/lib/libtdsodbc.so"));
    EXPECT_EQ(choice.driver, QStringLiteral("{ODBC Driver 18 for SQL Server}"));
    EXPECT_EQ(chooseDriver({{QStringLiteral("ODBC Driver 17 for SQL Server"), QStringLiteral("/o/l.so")}}, {}).driver,
              QStringLiteral("{ODBC Driver 17 for SQL Server}"));
}

TEST(DriverChoice, FreeTdsByTheRegisteredLibraryPath) {
    QTemporaryDir folder;
    const QString library = folder.filePath(QStringLiteral("libtdsodbc.so"));
    QFile file(library);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    const DriverChoice choice =
        chooseDriver({{QStringLiteral("MDBTools"), QStringLiteral("libmdbodbc.so")}, {QStringLiteral("TDS"), library}},
                     QStringLiteral("/elsewhere/libtdsodbc.so"));
    EXPECT_EQ(choice.driver, library);
    EXPECT_TRUE(choice.freeTds);
}

TEST(DriverChoice, FreeTdsFromTheLibraryFoldersWhenNotRegistered) {
    const DriverChoice choice = chooseDriver({{QStringLiteral("MDBTools"), QStringLiteral("libmdbodbc.so")}},
                                             QStringLiteral("/l/libtdsodbc.so"));
    EXPECT_EQ(choice.driver, QStringLiteral("/l/libtdsodbc.so"));
    EXPECT_TRUE(choice.freeTds);
}

TEST(DriverChoice, RegisteredFreeTdsWithAMissingLibraryFallsBackToItsName) {
    const DriverChoice choice = chooseDriver({{QStringLiteral("FreeTDS"), QStringLiteral("/gone/libtdsodbc.so")}}, {});
    EXPECT_EQ(choice.driver, QStringLiteral("{FreeTDS}"));
    EXPECT_TRUE(choice.freeTds);
}

TEST(DriverChoice, FindDriverLibrary) {
    EXPECT_TRUE(tallomar::odbc::findDriverLibrary(QStringLiteral("/no/such/libtdsodbc.so")).isEmpty());
    EXPECT_TRUE(tallomar::odbc::findDriverLibrary(QStringLiteral("libno-such-driver.so")).isEmpty());
    EXPECT_TRUE(tallomar::odbc::findDriverLibrary(QString()).isEmpty());
}

TEST(DriverChoice, ThisMachinesDriverIsUsable) {
    // The build machine has FreeTDS's driver installed (scripts/packages.txt).
    const QString driver = tallomar::odbc::installedDriver().driver;
    EXPECT_TRUE(driver.startsWith(QLatin1Char('{')) || QFileInfo::exists(driver)) << driver.toStdString();
}

// Windows: Microsoft's newest driver first, then Native Client, then the
// "SQL Server" driver every Windows has, also when the list names none.
TEST(DriverChoice, WindowsPrefersDriver18Then17ThenNativeClientThenSqlServer) {
    using tallomar::odbc::chooseWindowsDriver;
    const InstalledDriver sqlServer{QStringLiteral("SQL Server"), QStringLiteral("SQLSRV32.dll")};
    const InstalledDriver nativeClient{QStringLiteral("SQL Server Native Client 11.0"),
                                       QStringLiteral("sqlncli11.dll")};
    const InstalledDriver driver17{QStringLiteral("ODBC Driver 17 for SQL Server"), QStringLiteral("msodbcsql17.dll")};
    const InstalledDriver driver18{QStringLiteral("ODBC Driver 18 for SQL Server"), QStringLiteral("msodbcsql18.dll")};
    EXPECT_EQ(chooseWindowsDriver({sqlServer, nativeClient, driver17, driver18}).driver,
              QStringLiteral("{ODBC Driver 18 for SQL Server}"));
    EXPECT_EQ(chooseWindowsDriver({sqlServer, nativeClient, driver17}).driver,
              QStringLiteral("{ODBC Driver 17 for SQL Server}"));
    EXPECT_EQ(chooseWindowsDriver({sqlServer, nativeClient}).driver, QStringLiteral("{SQL Server Native Client 11.0}"));
    EXPECT_EQ(chooseWindowsDriver({sqlServer}).driver, QStringLiteral("{SQL Server}"));
    EXPECT_EQ(chooseWindowsDriver({}).driver, QStringLiteral("{SQL Server}"));
    EXPECT_FALSE(chooseWindowsDriver({driver18}).freeTds);
}

TEST(DriverChoice, ANamedDriverIsFreeTdsByItsNameOrLibrary) {
    using tallomar::odbc::namedDriver;
    const DriverChoice byName = namedDriver(QStringLiteral("FreeTDS"), {});
    EXPECT_EQ(byName.driver, QStringLiteral("{FreeTDS}"));
    EXPECT_TRUE(byName.freeTds);
    const DriverChoice registered =
        namedDriver(QStringLiteral("Tds"), {{QStringLiteral("Tds"), QStringLiteral("/usr/lib/odbc/libtdsodbc.so")}});
    EXPECT_TRUE(registered.freeTds);
    const DriverChoice library = namedDriver(QStringLiteral("C:\\FreeTDS\\bin\\tdsodbc.dll"), {});
    EXPECT_EQ(library.driver, QStringLiteral("C:\\FreeTDS\\bin\\tdsodbc.dll"));
    EXPECT_TRUE(library.freeTds);
    const DriverChoice microsoft = namedDriver(QStringLiteral("ODBC Driver 17 for SQL Server"), {});
    EXPECT_EQ(microsoft.driver, QStringLiteral("{ODBC Driver 17 for SQL Server}"));
    EXPECT_FALSE(microsoft.freeTds);
}

// Each driver's own forms of host, port and instance reach it as it reads
// them: Microsoft's drivers on Windows take "(local)\INSTANCE" (shared
// memory) and "host,port" themselves.
TEST(ConnectionPlan, MicrosoftDriversOnWindowsReadLocalNamesAndInstancesThemselves) {
    DriverChoice windows{QStringLiteral("{SQL Server}")};
    windows.readsLocalNames = true;
    EXPECT_TRUE(planConnection(login(QStringLiteral("(local)\\SQLEXPRESS")), windows)
                    .connectionString.startsWith(QStringLiteral("Driver={SQL Server};Server={(local)\\SQLEXPRESS};")));
    EXPECT_TRUE(planConnection(login(QStringLiteral(" db1 , 1500 ")), windows)
                    .connectionString.contains(QStringLiteral(";Server={db1,1500};")));
    EXPECT_TRUE(planConnection(login(QStringLiteral("HOST\\INST,1500")), windows)
                    .connectionString.contains(QStringLiteral(";Server={HOST\\INST,1500};")));
}

// Driver 18 checks the server's certificate: trusting it is the operator's
// explicit choice, and its refusal names that choice.
TEST(ConnectionPlan, AnUntrustedCertificateNamesTheRemedyAndTrustIsOnlyByChoice) {
    EXPECT_FALSE(
        planConnection(login(QStringLiteral("db1")), kMicrosoft).connectionString.contains(QStringLiteral("Trust")));
    EXPECT_FALSE(
        planConnection(login(QStringLiteral("db1")), kMicrosoft).connectionString.contains(QStringLiteral("Encrypt")));
    DriverChoice trusting = kMicrosoft;
    trusting.trustServerCertificate = true;
    EXPECT_TRUE(planConnection(login(QStringLiteral("db1")), trusting)
                    .connectionString.endsWith(QStringLiteral(";TrustServerCertificate={yes};")));

    const QString refusal = QStringLiteral(
        "[Microsoft][ODBC Driver 18 for SQL Server]SSL Provider: The certificate chain was issued by an authority that "
        "is not trusted.");
    const QString told = tallomar::odbc::withCertificateRemedy(refusal, QStringLiteral("08001"));
    EXPECT_TRUE(told.startsWith(refusal + QLatin1Char('\n'))) << told.toStdString();
    EXPECT_TRUE(told.contains(QStringLiteral("TrustServerCertificate=true in the section [ODBC] of ")))
        << told.toStdString();
    EXPECT_TRUE(told.contains(QStringLiteral("tallomar.ini"))) << told.toStdString();
    const QString refused = QStringLiteral("[FreeTDS][SQL Server]Login failed for user 'sa'.");
    EXPECT_EQ(tallomar::odbc::withCertificateRemedy(refused, QStringLiteral("28000")), refused);
}
