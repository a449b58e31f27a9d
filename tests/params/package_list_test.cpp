#include "logic/params/package_list.h"
#include "logic/params/script_configs.h"
#include "package_fixture.h"
#include "platform/error.h"

#include <gtest/gtest.h>
#include <QDir>

using namespace tallomar;

TEST(OpenPackageList, TheCountKeyGivesTheNumberOfEntries) {
    test::PackageFixture package;
    const QString list =
        package.writeFile(QStringLiteral("sub/List.ini"), QStringLiteral("[file]\ncount = 5\n1.1=a.sql\n"));
    const PackageList opened = OpenPackageList(list);
    EXPECT_EQ(opened.listCount, 5);
    EXPECT_EQ(opened.listFile, list);
    EXPECT_EQ(opened.baseFolder, package.path(QStringLiteral("sub")));
}

TEST(OpenPackageList, WithoutACountTheConsecutiveEntriesAreCounted) {
    test::PackageFixture package;
    const QString list = package.writeFile(QStringLiteral("list.ini"),
                                           QStringLiteral("[File]\n1.1=a.sql\n2.1=b.sql\n3.2=x\n4.1=d.sql\n"));
    EXPECT_EQ(OpenPackageList(list).listCount, 2);
}

TEST(OpenPackageList, AMissingOrBrokenListIsRefusedWithItsName) {
    test::PackageFixture package;
    const QString missing = package.path(QStringLiteral("missing.ini"));
    try {
        OpenPackageList(missing);
        FAIL() << "a missing list was opened";
    } catch (const Error& error) {
        EXPECT_EQ(error.message(), QStringLiteral("找不到脚本列表文件：") + missing);
    }
    EXPECT_THROW(OpenPackageList(package.folder()), Error);
    EXPECT_THROW(OpenPackageList(QString()), Error);
    const QString badCount = package.writeFile(QStringLiteral("bad.ini"), QStringLiteral("[File]\nCount=many\n"));
    EXPECT_THROW(OpenPackageList(badCount), Error);
}

TEST(OpenPackageList, TheDemoListLoadsItsThreeScripts) {
    const PackageList list = OpenPackageList(QStringLiteral(TALLOMAR_PARAMS_EXAMPLE "/package-list.ini"));
    EXPECT_EQ(list.listCount, 4);
    qint16 count = 0;
    ScriptTable table;
    EXPECT_EQ(LoadScriptConfigs(list, count, table), QString());
    EXPECT_EQ(count, 3);
    EXPECT_EQ(table.row(1).displayName, QStringLiteral("年度结转"));
    EXPECT_TRUE(table.row(3).configPath.isEmpty());
    EXPECT_EQ(table.row(4).parameterCount, QStringLiteral("2"));
}
