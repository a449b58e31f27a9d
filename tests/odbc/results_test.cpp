#include "sandbox_fixture.h"

using namespace tallomar::odbc;

using Results = SandboxTest;

TEST_F(Results, UseSwitchesTheDatabaseForLaterBatches) {
    sandbox().server().seedDatabase("shop",
                                    "CREATE TABLE IF NOT EXISTS goods(name NVARCHAR(20)); "
                                    "DELETE FROM goods; INSERT INTO goods VALUES ('nail');");
    auto connection = connect();
    Statement statement(*connection);
    statement.execute(QStringLiteral("use shop"));
    EXPECT_EQ(statement.columnCount(), 0);
    EXPECT_FALSE(statement.nextResult());
    EXPECT_EQ(scalar(*connection, QStringLiteral("select db_name()")), QStringLiteral("shop"));
    EXPECT_EQ(scalar(*connection, QStringLiteral("select name from goods")), QStringLiteral("nail"));
}

TEST_F(Results, ChineseTextRoundTripsThroughNvarchar) {
    auto connection = connect();
    const QString text = QStringLiteral("华北机械制造有限公司 — 帐套 𠀀");
    Statement statement(*connection);
    statement.execute(QStringLiteral("create table #names (name nvarchar(60))\r\n"
                                     "insert into #names values (N'%1')\r\n"
                                     "select name from #names")
                          .arg(text));
    while (statement.columnCount() == 0) ASSERT_TRUE(statement.nextResult());
    EXPECT_EQ(statement.columnName(0), QStringLiteral("name"));
    ASSERT_TRUE(statement.fetch());
    EXPECT_EQ(statement.text(0), text);
    EXPECT_FALSE(statement.fetch());
}

TEST_F(Results, NullIsNoValueAndEmptyTextIsText) {
    auto connection = connect();
    Statement statement(*connection);
    statement.execute(QStringLiteral("select null as a, N'' as b, 7 as c"));
    ASSERT_EQ(statement.columnCount(), 3);
    ASSERT_TRUE(statement.fetch());
    EXPECT_EQ(statement.text(0), std::nullopt);
    EXPECT_EQ(statement.text(1), QString());
    EXPECT_EQ(statement.text(2), QStringLiteral("7"));
}

TEST_F(Results, LongValuesArriveWhole) {
    // Longer than the layer's read buffer, so the value comes in pieces.
    sandbox().server().seedDatabase("texts",
                                    "CREATE TABLE IF NOT EXISTS long_text(body NVARCHAR(4000)); "
                                    "DELETE FROM long_text; "
                                    "INSERT INTO long_text VALUES (replace(hex(zeroblob(3000)), '00', '帐'));");
    auto connection = connect(QStringLiteral("texts"));
    const auto body = scalar(*connection, QStringLiteral("select body from long_text"));
    ASSERT_TRUE(body);
    EXPECT_EQ(body->size(), 3000);
    EXPECT_EQ(*body, QString(3000, QChar(u'帐')));
}

TEST_F(Results, RowValuesStayReadableUntilTheNextFetch) {
    // Long, short and longer values in turn, so each column's buffer grows,
    // is reused for less, then grows again.
    sandbox().server().seedDatabase("pairs",
                                    "CREATE TABLE IF NOT EXISTS pair(n INT, a NVARCHAR(4000), b NVARCHAR(4000)); "
                                    "DELETE FROM pair; "
                                    "INSERT INTO pair VALUES (1, replace(hex(zeroblob(1000)), '00', '甲'), 'b1'), "
                                    "(2, 'a2', replace(hex(zeroblob(700)), '00', 'x')), "
                                    "(3, replace(hex(zeroblob(2500)), '00', 'y'), NULL);");
    auto connection = connect(QStringLiteral("pairs"));
    Statement statement(*connection);
    statement.execute(QStringLiteral("select a, b from pair order by n"));
    const std::vector<std::pair<QString, std::optional<QString>>> expected = {
        {QString(1000, QChar(u'甲')), QStringLiteral("b1")},
        {QStringLiteral("a2"), QString(700, QLatin1Char('x'))},
        {QString(2500, QLatin1Char('y')), std::nullopt},
    };
    for (const auto& [a, b] : expected) {
        ASSERT_TRUE(statement.fetch());
        const std::optional<QStringView> first = statement.textView(0);
        const std::optional<QStringView> second = statement.textView(1);
        ASSERT_TRUE(first);
        EXPECT_EQ(first->toString(), a);
        EXPECT_EQ(second ? std::optional(second->toString()) : std::nullopt, b);
    }
    EXPECT_FALSE(statement.fetch());
}

TEST_F(Results, EveryResultOfABatchInTurn) {
    auto connection = connect();
    Statement statement(*connection);
    statement.execute(
        QStringLiteral("create table #t (a int)\r\n"
                       "insert into #t values (1)\r\n"
                       "insert into #t select a + 1 from #t\r\n"
                       "select a from #t order by a"));
    std::vector<qint64> counts;
    while (statement.columnCount() == 0) {
        counts.push_back(statement.rowCount());
        ASSERT_TRUE(statement.nextResult());
    }
    EXPECT_NE(std::find(counts.begin(), counts.end(), 1), counts.end());
    QStringList values;
    while (statement.fetch()) values << statement.text(0).value_or(QStringLiteral("NULL"));
    EXPECT_EQ(values, QStringList({QStringLiteral("1"), QStringLiteral("2")}));
    EXPECT_FALSE(statement.nextResult());
    EXPECT_FALSE(statement.nextResult());
}

TEST_F(Results, ErrorInTheMiddleIsFollowedByTheRestOfTheBatch) {
    auto connection = connect();
    Statement statement(*connection);
    statement.execute(QStringLiteral("select 1 as a\r\nraiserror('stock is negative', 16, 1)\r\nselect 3 as c"));
    ASSERT_EQ(statement.columnCount(), 1);
    ASSERT_TRUE(statement.fetch());
    EXPECT_EQ(statement.text(0), QStringLiteral("1"));
    // The rest of the first result (its DONE) may come as a result of its own.
    QStringList errors;
    QString third;
    for (;;) {
        try {
            if (!statement.nextResult()) break;
            if (statement.columnCount() == 1 && statement.columnName(0) == u"c" && statement.fetch())
                third = statement.text(0).value_or(QString());
        } catch (const Error& error) {
            errors << error.message();
            EXPECT_EQ(error.nativeError(), 50000);
            EXPECT_FALSE(error.connectionLost());
        }
    }
    EXPECT_EQ(errors, QStringList{QStringLiteral("[FreeTDS][SQL Server]stock is negative")});
    EXPECT_EQ(third, QStringLiteral("3"));
}

TEST_F(Results, MissingTableIsReportedWithTheServersText) {
    auto connection = connect();
    Statement statement(*connection);
    try {
        statement.execute(QStringLiteral("select * from no_such_table"));
        FAIL() << "the missing table was not reported";
    } catch (const Error& error) {
        EXPECT_EQ(error.message(), QStringLiteral("[FreeTDS][SQL Server]Invalid object name 'no_such_table'."));
        EXPECT_EQ(error.nativeError(), 208);
        EXPECT_EQ(error.sqlState(), QStringLiteral("42S02"));
    }
}

TEST_F(Results, UnreadRowsAreDroppedByTheNextBatch) {
    auto connection = connect();
    Statement statement(*connection);
    statement.execute(QStringLiteral("select 1 as a union all select 2\r\nselect 3 as b"));
    ASSERT_TRUE(statement.fetch());
    statement.execute(QStringLiteral("select 4 as d"));
    ASSERT_TRUE(statement.fetch());
    EXPECT_EQ(statement.text(0), QStringLiteral("4"));
    EXPECT_FALSE(statement.fetch());
}

TEST_F(Results, FirstResultAnErrorThrowsFromExecute) {
    auto connection = connect();
    Statement statement(*connection);
    EXPECT_THROW(statement.execute(QStringLiteral("select * from no_such_table")), Error);
    statement.execute(QStringLiteral("select 5"));
    ASSERT_TRUE(statement.fetch());
    EXPECT_EQ(statement.text(0), QStringLiteral("5"));
}

TEST_F(Results, DiscardReadsToTheEndAndThrowsTheFirstError) {
    sandbox().server().seedDatabase("discard", "CREATE TABLE IF NOT EXISTS log(n INT); DELETE FROM log;");
    auto connection = connect(QStringLiteral("discard"));
    Statement statement(*connection);
    statement.execute(
        QStringLiteral("insert into log values (1)\r\n"
                       "raiserror('missing_one', 16, 1)\r\n"
                       "raiserror('missing_two', 16, 1)\r\n"
                       "insert into log values (2)"));
    try {
        statement.discardResults();
        FAIL() << "the errors of the batch were not reported";
    } catch (const Error& error) {
        EXPECT_TRUE(error.message().contains(QStringLiteral("missing_one"))) << error.message().toStdString();
    }
    EXPECT_EQ(scalar(*connection, QStringLiteral("select count(*) from log")), QStringLiteral("2"));
}

TEST_F(Results, BatchOfOnlyASwitchIsASuccess) {
    auto connection = connect();
    Statement statement(*connection);
    statement.execute(QStringLiteral("use tempdb"));
    statement.discardResults();
    EXPECT_EQ(scalar(*connection, QStringLiteral("select db_name()")), QStringLiteral("tempdb"));
}

TEST_F(Results, PrintedMessagesAreKept) {
    auto connection = connect();
    Statement statement(*connection);
    statement.execute(QStringLiteral("print 'first'\r\nselect 1 as a\r\nprint 'second'"));
    statement.discardResults();
    const QString messages = statement.takeMessages().join(QLatin1Char('|'));
    EXPECT_TRUE(messages.contains(QStringLiteral("first"))) << messages.toStdString();
    EXPECT_TRUE(messages.contains(QStringLiteral("second"))) << messages.toStdString();
    EXPECT_TRUE(statement.takeMessages().isEmpty());
}

TEST_F(Results, ErrorTextDoesNotCarryPrintedMessages) {
    auto connection = connect();
    Statement statement(*connection);
    try {
        statement.execute(QStringLiteral("print 'before'\r\nselect * from no_such_table"));
        statement.discardResults();
        FAIL() << "the missing table was not reported";
    } catch (const Error& error) {
        EXPECT_FALSE(error.message().contains(QStringLiteral("before"))) << error.message().toStdString();
    }
    EXPECT_TRUE(statement.takeMessages().join(QLatin1Char('|')).contains(QStringLiteral("before")));
}

TEST_F(Results, HundredThousandRowsStreamThrough) {
    sandbox().server().seedDatabase(
        "rows",
        "CREATE TABLE IF NOT EXISTS numbers(n INT, label NVARCHAR(20)); DELETE FROM numbers; "
        "WITH RECURSIVE c(n) AS (SELECT 1 UNION ALL SELECT n + 1 FROM c WHERE n < 100000) "
        "INSERT INTO numbers SELECT n, '第' || n || '行' FROM c;");
    auto connection = connect(QStringLiteral("rows"));
    Statement statement(*connection);
    statement.execute(QStringLiteral("select n, label from numbers order by n"));
    qint64 rows = 0;
    qint64 sum = 0;
    bool labelsMatch = true;
    while (statement.fetch()) {
        ++rows;
        const qint64 n = statement.text(0)->toLongLong();
        sum += n;
        labelsMatch = labelsMatch && statement.text(1) == QStringLiteral("第%1行").arg(n);
    }
    EXPECT_EQ(rows, 100000);
    EXPECT_EQ(sum, 100000LL * 100001 / 2);
    EXPECT_TRUE(labelsMatch);
}
