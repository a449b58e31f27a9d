#include "platform/odbc/odbc.h"
#include "platform/odbc/connection_string.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using tallomar::odbc::chooseDriver;
using tallomar::odbc::DriverChoice;
using tallomar::odbc::InstalledDriver;
using tallomar::odbc::translateConnectionText;

namespace {

const DriverChoice kFreeTds{QStringLiteral("/opt/odbc/libtdsodbc.so"), true};
const DriverChoice kMicrosoft{QStringLiteral("{ODBC Driver 18 for SQL Server}"), false};

QString forFreeTds(const QString& text) { return translateConnectionText(text, kFreeTds); }

}  // namespace

TEST(ConnectionTextTranslation, SystemConnectionTextForFreeTds) {
    EXPECT_EQ(forFreeTds(QStringLiteral("Driver={SQL Server};Server=db1;Uid=sa;Pwd=secret;Database=QVSystem")),
              QStringLiteral("Driver=/opt/odbc/libtdsodbc.so;Server=db1;Port=1433;Database=QVSystem;UID=sa;PWD=secret;"
                             "TDS_Version=7.4;"));
}

TEST(ConnectionTextTranslation, AccountConnectionTextWithItsFinalSemicolon) {
    EXPECT_EQ(forFreeTds(QStringLiteral("Provider=SQLOLEDB;Server=db1;Database=qvdata_001_2008;Uid=sa;Pwd=;")),
              QStringLiteral("Driver=/opt/odbc/libtdsodbc.so;Server=db1;Port=1433;Database=qvdata_001_2008;UID=sa;PWD=;"
                             "TDS_Version=7.4;"));
}

TEST(ConnectionTextTranslation, EmptyDatabaseLeavesTheLoginsDefault) {
    const QString out = forFreeTds(QStringLiteral("Driver={SQL Server};Server=db1;Uid=sa;Pwd=x;Database="));
    EXPECT_FALSE(out.contains(QStringLiteral("Database"))) << out.toStdString();
}

TEST(ConnectionTextTranslation, LocalServerNamesMeanLoopback) {
    for (const QString& name : {QStringLiteral("(local)"), QStringLiteral("(LOCAL)"), QStringLiteral("."),
                                QStringLiteral("localhost"), QStringLiteral("LocalHost")}) {
        const QString out = forFreeTds(QStringLiteral("Driver={SQL Server};Server=%1;Uid=sa;Pwd=").arg(name));
        EXPECT_TRUE(out.contains(QStringLiteral(";Server=127.0.0.1;"))) << name.toStdString() << " → "
                                                                          << out.toStdString();
    }
    EXPECT_TRUE(forFreeTds(QStringLiteral("Server=local;Uid=sa")).contains(QStringLiteral(";Server=local;")));
}

TEST(ConnectionTextTranslation, PortBecomesItsOwnFieldForFreeTds) {
    const QString out = forFreeTds(QStringLiteral("Driver={SQL Server};Server=(local),14330;Uid=sa;Pwd=p"));
    EXPECT_TRUE(out.contains(QStringLiteral(";Server=127.0.0.1;Port=14330;"))) << out.toStdString();
}

// FreeTDS refuses a connection text with a version but no port.
TEST(ConnectionTextTranslation, ServerWithoutPortGetsTheDefaultPortForFreeTds) {
    EXPECT_TRUE(forFreeTds(QStringLiteral("Driver={SQL Server};Server=(local);Uid=sa;Pwd="))
                    .contains(QStringLiteral(";Server=127.0.0.1;Port=1433;")));
    EXPECT_FALSE(translateConnectionText(QStringLiteral("Driver={SQL Server};Server=db1;Uid=sa;Pwd="), kMicrosoft)
                     .contains(QStringLiteral("1433")));
}

TEST(ConnectionTextTranslation, InstanceNameIsKept) {
    const QString out = forFreeTds(QStringLiteral("Driver={SQL Server};Server=.\\SQLEXPRESS;Uid=sa;Pwd=p"));
    EXPECT_TRUE(out.contains(QStringLiteral(";Server=127.0.0.1\\SQLEXPRESS;"))) << out.toStdString();
    EXPECT_FALSE(out.contains(QStringLiteral("Port=")));
}

TEST(ConnectionTextTranslation, MicrosoftDriverKeepsHostCommaPortAndNeedsNoTdsVersion) {
    const QString out = translateConnectionText(
        QStringLiteral("Provider=SQLOLEDB;Server=localhost,1433;Database=d;Uid=u;Pwd=p;"), kMicrosoft);
    EXPECT_EQ(out, QStringLiteral("Driver={ODBC Driver 18 for SQL Server};Server=127.0.0.1,1433;Database=d;UID=u;"
                                  "PWD=p;"));
}

TEST(ConnectionTextTranslation, ValuesWithSemicolonsOrBracesAreBraced) {
    // The texts are concatenated, so the password's own semicolon and brace
    // reach the translation as they were typed.
    EXPECT_TRUE(forFreeTds(QStringLiteral("Driver={SQL Server};Server=s;Uid=sa;Pwd=a;b}c;Database=master"))
                    .contains(QStringLiteral(";Database=master;UID=sa;PWD={a;b}}c};")));
    EXPECT_TRUE(forFreeTds(QStringLiteral("Provider=SQLOLEDB;Server=s;Database=d;Uid=sa;Pwd=x;y;"))
                    .contains(QStringLiteral(";PWD={x;y};")));
    EXPECT_TRUE(forFreeTds(QStringLiteral("Provider=SQLOLEDB;Server=s;Database=d;Uid=sa;Pwd=x;;"))
                    .contains(QStringLiteral(";PWD={x;};")));
    EXPECT_TRUE(forFreeTds(QStringLiteral("Provider=SQLOLEDB;Server=s;Database=d;Uid=sa;Pwd={open;"))
                    .contains(QStringLiteral(";PWD={{open};")));
    EXPECT_TRUE(forFreeTds(QStringLiteral("Provider=SQLOLEDB;Server=s;Database=d;Uid= sa;Pwd=p;"))
                    .contains(QStringLiteral(";UID={ sa};")));
}

TEST(ConnectionTextTranslation, BracedInputValuesAreRead) {
    EXPECT_TRUE(forFreeTds(QStringLiteral("Driver={SQL Server};Server=s;Uid=sa;Pwd={a;b}}c};Database=m"))
                    .contains(QStringLiteral(";Database=m;UID=sa;PWD={a;b}}c};")));
}

TEST(ConnectionTextTranslation, OtherKeyNamesOfTheSameFields) {
    EXPECT_EQ(forFreeTds(QStringLiteral("Data Source=db1;Initial Catalog=d;User ID=u;Password=p")),
              QStringLiteral("Driver=/opt/odbc/libtdsodbc.so;Server=db1;Port=1433;Database=d;UID=u;PWD=p;TDS_Version=7.4;"));
}

TEST(ConnectionTextTranslation, DriverPathWithSemicolonIsBraced) {
    const QString out = translateConnectionText(QStringLiteral("Server=s"), {QStringLiteral("/a;b/libtdsodbc.so"), true});
    EXPECT_TRUE(out.startsWith(QStringLiteral("Driver={/a;b/libtdsodbc.so};"))) << out.toStdString();
}

TEST(DriverChoice, RegisteredSqlServerComesFirst) {
    const DriverChoice choice = chooseDriver({{QStringLiteral("FreeTDS"), QStringLiteral("libtdsodbc.so")},
                                              {QStringLiteral("ODBC Driver 18 for SQL Server"),
                                               QStringLiteral("/opt/microsoft/libmsodbcsql-18.so")},
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
    const DriverChoice choice = chooseDriver(
        {{QStringLiteral("ODBC Driver 17 for SQL Server"), QStringLiteral("/o/libmsodbcsql-17.so")},
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
    const DriverChoice choice = chooseDriver({{QStringLiteral("MDBTools"), QStringLiteral("libmdbodbc.so")},
                                              {QStringLiteral("TDS"), library}},
                                             QStringLiteral("/elsewhere/libtdsodbc.so"));
    EXPECT_EQ(choice.driver, library);
    EXPECT_TRUE(choice.freeTds);
}

TEST(DriverChoice, FreeTdsFromTheLibraryFoldersWhenNotRegistered) {
    const DriverChoice choice =
        chooseDriver({{QStringLiteral("MDBTools"), QStringLiteral("libmdbodbc.so")}}, QStringLiteral("/l/libtdsodbc.so"));
    EXPECT_EQ(choice.driver, QStringLiteral("/l/libtdsodbc.so"));
    EXPECT_TRUE(choice.freeTds);
}

TEST(DriverChoice, RegisteredFreeTdsWithAMissingLibraryFallsBackToItsName) {
    const DriverChoice choice =
        chooseDriver({{QStringLiteral("FreeTDS"), QStringLiteral("/gone/libtdsodbc.so")}}, {});
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
    const QString out = tallomar::odbc::driverConnectionString(QStringLiteral("Driver={SQL Server};Server=(local);Uid=sa;Pwd="));
    ASSERT_TRUE(out.startsWith(QStringLiteral("Driver="))) << out.toStdString();
    const QString driver = out.mid(7, out.indexOf(QLatin1Char(';')) - 7);
    EXPECT_TRUE(driver.startsWith(QLatin1Char('{')) || QFileInfo::exists(driver)) << out.toStdString();
}
