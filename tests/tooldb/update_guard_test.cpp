// What an UPDATE on the tool database may do: change user columns of one
// table, nothing else; and whatever it writes is saved, however long.
#include "platform/error.h"
#include "support/tool_fixture.h"
#include "tooldb/tool_database.h"

#include <gtest/gtest.h>
#include <QFile>

namespace tallomar {
namespace {

QByteArray bytesOf(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString settingsText(const tooldb::ToolDatabase& database) {
    QString text;
    for (const auto& row : database.query(QStringLiteral("select cName, cValue from ZOL order by cName")).rows)
        text += row[0].toString() + QLatin1Char('=') + (row[1].isNull() ? QStringLiteral("NULL") : row[1].toString()) +
                QLatin1Char('\n');
    return text;
}

class UpdateGuard : public ::testing::Test {
protected:
    void expectRefused(const QString& sql, const QString& reason) {
        const QByteArray file = bytesOf(fixture.path());
        const QString mirror = settingsText(*database);
        try {
            database->execute(sql);
            ADD_FAILURE() << "accepted: " << sql.toStdString();
        } catch (const Error& error) {
            EXPECT_TRUE(error.message().startsWith(sql)) << error.what();
            EXPECT_TRUE(error.message().contains(reason, Qt::CaseInsensitive)) << error.what();
        }
        EXPECT_EQ(bytesOf(fixture.path()), file) << sql.toStdString();
        EXPECT_EQ(settingsText(*database), mirror) << sql.toStdString();
    }

    test::ToolDatabaseFile fixture;
    std::unique_ptr<tooldb::ToolDatabase> database = tooldb::ToolDatabase::open(fixture.path());
};

TEST_F(UpdateGuard, RowidAndItsAliasesCannotBeChanged) {
    expectRefused(QStringLiteral("UPDATE ZOL SET rowid=rowid+100"), QStringLiteral("rowid"));
    expectRefused(QStringLiteral("update ZOL set OID=7 where cName='ServerName'"), QStringLiteral("rowid"));
    expectRefused(QStringLiteral("UPDATE ZOL SET _rowid_=2, cValue='x' WHERE rowid=1"), QStringLiteral("rowid"));
    expectRefused(QStringLiteral("UPDATE ZOL SET \"rowid\"=-1"), QStringLiteral("rowid"));
    // Reading rowid to pick a row is fine.
    EXPECT_EQ(database->execute(QStringLiteral("UPDATE ZOL SET cValue='一' WHERE rowid=1")), 1);
    EXPECT_EQ(tooldb::ToolDatabase::open(fixture.path())
                  ->query(QStringLiteral("select cValue from ZOL where cName='ServerName'"))
                  .rows.at(0)
                  .at(0),
              QStringLiteral("一"));
}

TEST_F(UpdateGuard, OnlyOnePlainUpdateOfOneTableIsAccepted) {
    expectRefused(QStringLiteral("UPDATE OR REPLACE ZOL SET rowid=2 WHERE rowid=1"),
                  QStringLiteral("UPDATE OR REPLACE is refused"));
    expectRefused(QStringLiteral("update or ignore ZOL set cValue='x'"), QStringLiteral("UPDATE OR IGNORE is refused"));
    expectRefused(QStringLiteral("UPDATE ZOL SET cValue=v.cName FROM Version v WHERE v.iGrade=1"),
                  QStringLiteral("UPDATE ... FROM"));
    expectRefused(QStringLiteral("UPDATE ZOL SET cValue='x' RETURNING cName"), QStringLiteral("RETURNING"));
    expectRefused(QStringLiteral("UPDATE ZOL SET cValue='a'; UPDATE ZOL SET cValue='b'"),
                  QStringLiteral("one statement"));
    expectRefused(QStringLiteral("WITH t AS (SELECT 1) UPDATE ZOL SET cValue='x'"), QStringLiteral("only UPDATE"));
    expectRefused(QStringLiteral("CREATE TRIGGER t AFTER UPDATE ON ZOL BEGIN UPDATE Version SET cName='x'; END"),
                  QStringLiteral("only UPDATE"));
    expectRefused(QStringLiteral("PRAGMA recursive_triggers=1"), QStringLiteral("only UPDATE"));
    expectRefused(QStringLiteral("UPDATE main.sqlite_master SET sql='x'"), QStringLiteral("may not be modified"));
    // A trigger cannot come in through a query either.
    EXPECT_THROW(database->query(QStringLiteral("CREATE TRIGGER t AFTER UPDATE ON ZOL BEGIN DELETE FROM ZOL; END")),
                 Error);
    EXPECT_EQ(database->execute(QStringLiteral("UPDATE ZOL SET cValue='二' WHERE cName='Readme'")), 1);
    EXPECT_EQ(database->query(QStringLiteral("select * from ZOL")).rows.size(), 5u);
}

TEST_F(UpdateGuard, KeywordsInsideValuesAndSubqueriesAreNotTheStatementsShape) {
    EXPECT_EQ(
        database->execute(QStringLiteral("UPDATE ZOL SET cValue='x FROM y; OR REPLACE -- z' WHERE cName='ServerName'")),
        1);
    EXPECT_EQ(database->execute(QStringLiteral("UPDATE \"ZOL\" SET cValue=(SELECT cName FROM Version WHERE iGrade=1) "
                                               "WHERE cName='Readme' /* from */")),
              1);
    const auto reopened = tooldb::ToolDatabase::open(fixture.path());
    EXPECT_EQ(settingsText(*reopened), settingsText(*database));
    EXPECT_TRUE(settingsText(*reopened).contains(QStringLiteral("ServerName=x FROM y; OR REPLACE -- z\n")));
    EXPECT_TRUE(settingsText(*reopened).contains(QStringLiteral("Readme=标准版\n")));
}

class LongValues : public ::testing::Test {
protected:
    static std::vector<std::pair<QString, QVariant>> crowdedSettings() {
        std::vector<std::pair<QString, QVariant>> settings;
        for (int i = 1; i <= 40; ++i)
            settings.emplace_back(QStringLiteral("Key%1").arg(i, 2, 10, QLatin1Char('0')),
                                  QString(45, QLatin1Char('v')));
        return settings;
    }

    test::ToolDatabaseFile fixture{test::packageWithSettings(crowdedSettings())};
    std::unique_ptr<tooldb::ToolDatabase> database = tooldb::ToolDatabase::open(fixture.path());
};

TEST_F(LongValues, ARowOnACrowdedPageGrowsMovesAndChangesAgainInTheSameRun) {
    const QString grown(400, QChar(0x957f));
    EXPECT_EQ(database->execute(QStringLiteral("UPDATE ZOL SET cValue='%1' WHERE cName='Key01'").arg(grown)), 1);
    EXPECT_EQ(database->execute(QStringLiteral("UPDATE ZOL SET cValue=cValue || '再' WHERE cName='Key01'")), 1);
    const QString memo(3000, QChar(0x8bf4));
    EXPECT_EQ(
        database->execute(QStringLiteral("UPDATE ZOL SET cValue='%1' WHERE cName IN ('Key02', 'Key40')").arg(memo)), 2);
    EXPECT_EQ(database->execute(QStringLiteral("UPDATE ZOL SET cSys='已移' WHERE cName='Key01'")), 1);

    const auto reopened = tooldb::ToolDatabase::open(fixture.path());
    EXPECT_EQ(settingsText(*reopened), settingsText(*database));
    const auto values = reopened->query(QStringLiteral("select cName, cValue, cSys from ZOL order by cName")).rows;
    ASSERT_EQ(values.size(), 40u);
    EXPECT_EQ(values[0][1], grown + QStringLiteral("再"));
    EXPECT_EQ(values[0][2], QStringLiteral("已移"));
    EXPECT_EQ(values[1][1], memo);
    EXPECT_EQ(values[39][1], memo);
    EXPECT_EQ(values[2][1], QString(45, QLatin1Char('v')));
}

}  // namespace
}  // namespace tallomar
