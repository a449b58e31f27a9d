// T-SQL the server does not understand is refused with a server error that
// says what, before anything of the batch runs; the connection stays
// usable. Nothing is run half-understood.
#include "batch_fixture.h"

namespace tallomar::test {
namespace {

struct Refusal {
    const char* name;
    const char* sql;
    const char* message;  // the error's whole text
};

std::ostream& operator<<(std::ostream& out, const Refusal& refusal) {
    return out << refusal.name;
}

const Refusal kRefusals[] = {
    {"Variables", "declare @n nvarchar(10)",
     "The sandbox server does not understand variables other than one INT per DECLARE."},
    {"VariableInAQuery", "select * from UA_Account where cAcc_ID = @id",
     "The sandbox server does not understand variables such as @id."},
    {"StoredProcedures", "exec sp_who",
     "The sandbox server does not understand EXEC of procedures other than sp_getapplock and sp_releaseapplock."},
    {"Loops", "while 1 = 0 print 'x'", "The sandbox server does not understand WHILE statements."},
    {"DistributedTransactions", "begin distributed tran", "The sandbox server does not understand BEGIN DISTRIBUTED."},
    {"MarkedTransactions", "begin tran t with mark",
     "The sandbox server does not understand BEGIN TRANSACTION ... WITH."},
    {"AlterDatabase", "alter database QVSystem set recovery simple",
     "The sandbox server does not understand ALTER DATABASE."},
    {"ImplicitTransactions", "set implicit_transactions on",
     "The sandbox server does not understand SET IMPLICIT_TRANSACTIONS ON."},
    {"WaitForTime", "waitfor time '23:00'", "The sandbox server does not understand WAITFOR other than WAITFOR DELAY."},
    {"TryCatch", "begin try select 1 end try begin catch select 2 end catch",
     "The sandbox server does not understand BEGIN TRY."},
    {"Merge", "merge UA_Account as t using UA_Account_sub as s on t.cAcc_ID = s.cAcc_ID",
     "The sandbox server does not understand MERGE statements."},
    {"UnknownFunction", "select dateadd(day, 1, getdate())",
     "The sandbox server does not understand the function DATEADD."},
    {"WrongArgumentCount", "select isnull(1)", "The sandbox server does not understand ISNULL with 1 arguments."},
    {"TopPercent", "select top 50 percent * from UA_Account",
     "The sandbox server does not understand TOP ... PERCENT."},
    {"TopExpression", "select top (1 + 1) * from UA_Account",
     "The sandbox server does not understand TOP with an expression."},
    {"TopFraction", "select top 1.5 * from UA_Account",
     "The number of rows provided for a TOP or FETCH clauses row count parameter must be an integer."},
    {"OffsetFetch", "select * from UA_Account order by cAcc_ID offset 1 rows fetch next 1 rows only",
     "The sandbox server does not understand OFFSET ... FETCH."},
    {"UpdateFrom", "update a set cAcc_Name = 'x' from UA_Account a",
     "The sandbox server does not understand UPDATE ... FROM."},
    {"Identity", "create table t (id int identity(1, 1))", "The sandbox server does not understand IDENTITY columns."},
    {"Views", "create view v as select 1 as a", "The sandbox server does not understand CREATE VIEW."},
    {"IndexHint", "select * from UA_Account with (index(ix))",
     "The sandbox server does not understand the table hint index."},
    {"LikeCharacterClass", "select 1 where 'abc' like '[a-c]%'",
     "The sandbox server does not understand LIKE patterns with [...] character classes."},
    {"RaiseErrorAboveEighteen", "raiserror('x', 20, 1)",
     "The sandbox server does not understand RAISERROR with severity above 18."},
    {"RaiseErrorWithLog", "raiserror('x', 16, 1) with log",
     "The sandbox server does not understand RAISERROR WITH LOG."},
    {"RowCountLimit", "set rowcount 10", "The sandbox server does not understand SET ROWCOUNT other than 0."},
    {"UnknownSetOption", "set fmtonly on", "The sandbox server does not understand SET FMTONLY."},
    {"SqliteLimit", "select * from UA_Account limit 1", "Incorrect syntax near 'limit'."},
    {"SqliteConcatenation", "select 'a' || 'b'", "Incorrect syntax near '||'."},
    {"FourPartName", "select * from other.QVSystem.dbo.UA_Account",
     "The sandbox server does not understand the name 'other.QVSystem.dbo.UA_Account'."},
    {"UnclosedQuote", "select 'open", "Unclosed quotation mark after the character string 'open'."},
    {"UnclosedComment", "select 1 /* open", "Missing end comment mark '*/'."},
    {"DanglingElse", "else print 'x'", "Incorrect syntax near 'else'."},
};

class Unsupported : public BatchTest, public ::testing::WithParamInterface<Refusal> {};

TEST_P(Unsupported, IsRefusedBeforeAnythingOfTheBatchRuns) {
    ok("create table tempdb..probe (n int)");
    const Refusal& refusal = GetParam();
    const OdbcBatch batch = client->run(std::string("insert into tempdb..probe values (1)\r\n") + refusal.sql);
    EXPECT_EQ(errorsOf(batch), (std::vector<std::string>{refusal.message}));
    for (const auto& diagnostic : batch.diagnostics) {
        if (!diagnostic.warning()) {
            EXPECT_TRUE(diagnostic.native == 102 || diagnostic.native == 105 || diagnostic.native == 113 ||
                        diagnostic.native == 1060)
                << diagnostic.native;
        }
    }
    EXPECT_EQ(value("select count(*) from tempdb..probe"), "0");
}

INSTANTIATE_TEST_SUITE_P(Sandbox, Unsupported, ::testing::ValuesIn(kRefusals),
                         [](const ::testing::TestParamInfo<Refusal>& info) { return std::string(info.param.name); });

using RefusedBatches = BatchTest;

TEST_F(RefusedBatches, LeaveTheConnectionUsable) {
    for (const Refusal& refusal : kRefusals) {
        EXPECT_TRUE(client->run(refusal.sql).failed()) << refusal.name;
        EXPECT_EQ(value("select 1"), "1") << "after " << refusal.name;
    }
    EXPECT_EQ(sandbox.server().openConnections(), 1);
}

}  // namespace
}  // namespace tallomar::test
