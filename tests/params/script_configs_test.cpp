#include "logic/params/script_configs.h"
#include "logic/params/ini_values.h"
#include "package_fixture.h"

#include <gtest/gtest.h>
#include <QDir>

using namespace tallomar;

namespace {

struct Loaded {
    qint16 count = -1;
    ScriptTable table;
    QString message;
};

Loaded load(const PackageList& list) {
    Loaded loaded;
    loaded.message = LoadScriptConfigs(list, loaded.count, loaded.table);
    return loaded;
}

}  // namespace

TEST(LoadScriptConfigs, FillsTheRowOfEachConfiguredScriptInLowerCase) {
    test::PackageFixture package;
    package.writeFile(QStringLiteral("Windows/Tools/Report.INI"),
                      QStringLiteral("[SQL]\nName=Year END 结转\nFunction=Moves THE balances\nVarNum=3\n"));
    package.writeList(QStringLiteral("1.1=report.SQL\n1.2=Report.ini\n1.3=windows\\tools\n"), 1);
    const Loaded loaded = load(package.list());
    EXPECT_EQ(loaded.message, QString());
    EXPECT_EQ(loaded.count, 1);
    ASSERT_EQ(loaded.table.rowCount(), 1);
    const ScriptEntry& row = loaded.table.row(1);
    EXPECT_EQ(QDir::cleanPath(row.configPath), package.path(QStringLiteral("Windows/Tools/Report.INI")));
    EXPECT_EQ(row.displayName, QStringLiteral("year end 结转"));
    EXPECT_EQ(row.functionText, QStringLiteral("moves the balances"));
    EXPECT_EQ(row.parameterCount, QStringLiteral("3"));
}

TEST(LoadScriptConfigs, SkipsEntriesThatAreNoConfiguredSqlScripts) {
    test::PackageFixture package;
    package.writeFile(QStringLiteral("cfg/a.ini"), QStringLiteral("[SQL]\nName=a\n"));
    package.writeList(QStringLiteral("1.1=readme.txt\n1.2=a.ini\n1.3=..\\cfg\n"
                                     "2.1=plain.sql\n2.2=SQL\n2.3=..\\cfg\n"
                                     "3.1=sql\n3.2=a.ini\n3.3=..\\cfg\n"
                                     "4.1=nodot\n4.2=a.ini\n4.3=..\\cfg\n"
                                     "6.1=late.sql\n6.2=a.ini\n6.3=..\\cfg\n"),
                      6);
    const Loaded loaded = load(package.list());
    EXPECT_EQ(loaded.message, QString());
    EXPECT_EQ(loaded.count, 2);
    ASSERT_EQ(loaded.table.rowCount(), 6);
    for (int skipped : {1, 2, 4, 5}) EXPECT_TRUE(loaded.table.row(skipped).configPath.isEmpty()) << skipped;
    EXPECT_EQ(loaded.table.row(3).displayName, QStringLiteral("a"));
    EXPECT_EQ(loaded.table.row(6).displayName, QStringLiteral("a"));
}

TEST(LoadScriptConfigs, MissingValuesFallBackToTheScriptNameAndCountZero) {
    test::PackageFixture package;
    package.writeFile(QStringLiteral("b.ini"), QStringLiteral("[SQL]\nFunction=检查 //note\n"));
    package.writeList(QStringLiteral("1.1=Check.sql\n1.2=b.ini\n1.3=\n"), 1);
    const Loaded loaded = load(package.list());
    EXPECT_EQ(loaded.count, 1);
    EXPECT_EQ(loaded.table.row(1).displayName, QStringLiteral("check.sql"));
    EXPECT_EQ(loaded.table.row(1).functionText, QStringLiteral("检查"));
    EXPECT_EQ(loaded.table.row(1).parameterCount, QStringLiteral("0"));
}

TEST(LoadScriptConfigs, AMissingConfigurationNameFallsBackToTheExistingFolder) {
    test::PackageFixture package;
    QDir().mkpath(package.path(QStringLiteral("cfg")));
    package.writeList(QStringLiteral("1.1=x.sql\n1.3=..\\CFG\n"), 1);
    const Loaded loaded = load(package.list());
    EXPECT_EQ(loaded.count, 1);
    EXPECT_EQ(loaded.table.row(1).displayName, QStringLiteral("x.sql"));
    EXPECT_EQ(loaded.table.row(1).parameterCount, QStringLiteral("0"));
}

TEST(LoadScriptConfigsMissingFiles, EachMissingFileGivesOneLineEndingInCrLf) {
    test::PackageFixture package;
    package.writeFile(QStringLiteral("c.ini"), QStringLiteral("[SQL]\nName=c\n"));
    package.writeList(QStringLiteral("1.1=First.sql\n1.2=gone.ini\n1.3=..\n"
                                     "2.1=c.sql\n2.2=c.ini\n2.3=..\n"
                                     "3.1=第三.sql\n3.2=also-gone.ini\n3.3=c:\\winnt\\system32\n"),
                      3);
    const Loaded loaded = load(package.list());
    EXPECT_EQ(loaded.message, QStringLiteral("  脚本： first.sql 缺少配置文件\r\n  脚本： 第三.sql 缺少配置文件\r\n"));
    EXPECT_EQ(loaded.count, 1);
    EXPECT_TRUE(loaded.table.row(1).configPath.isEmpty());
    EXPECT_FALSE(loaded.table.row(2).configPath.isEmpty());
}

TEST(LoadScriptConfigs, SystemFolderWordsFindFilesInTheirFolders) {
    test::PackageFixture package;
    package.writeFile(QStringLiteral("windows/system32/s.ini"), QStringLiteral("[SQL]\nName=sys\n"));
    package.writeList(QStringLiteral("1.1=s.sql\n1.2=s.ini\n1.3=C:\\WINNT\\System32\n"
                                     "2.1=t.sql\n2.2=S.INI\n2.3=system32\n"),
                      2);
    const Loaded loaded = load(package.list());
    EXPECT_EQ(loaded.message, QString());
    EXPECT_EQ(loaded.table.row(1).displayName, QStringLiteral("sys"));
    EXPECT_EQ(loaded.table.row(2).displayName, QStringLiteral("sys"));
}

TEST(LoadScriptConfigs, ACountBelowOneGivesAnEmptyTable) {
    test::PackageFixture package;
    package.writeList(QStringLiteral("1.1=a.sql\n"), 0);
    Loaded loaded = load(package.list());
    EXPECT_EQ(loaded.table.rowCount(), 0);
    EXPECT_EQ(loaded.count, 0);
    PackageList negative = package.list();
    negative.listCount = -3;
    loaded = load(negative);
    EXPECT_EQ(loaded.table.rowCount(), 0);
    EXPECT_EQ(loaded.message, QString());
}
