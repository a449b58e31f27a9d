#include "logic/workbench/result_table_hold.h"

#include "logic/workbench/program_statements.h"
#include "logic/workbench/script_runner.h"
#include "platform/text/sql_quoting.h"

namespace tallomar {

namespace {

// The lock gives up a little before the statement's own timeout, so that
// its answer, not the driver's timeout, says why.
constexpr int kLockWaitMilliseconds = (kScriptQueryTimeoutSeconds - 10) * 1000;

// Lock names compare exactly, table names without regard to case.
QString lockResource(const ResultTable& table) {
    return sqlUnicodeText(QStringLiteral("tallomar result table ") + table.name().toLower());
}

QString lockStatement(const ResultTable& table) {
    return QStringLiteral(
               "declare @result int\r\n"
               "exec @result = tempdb.dbo.sp_getapplock @Resource = %1, @LockMode = 'Exclusive', "
               "@LockOwner = 'Session', @LockTimeout = %2\r\n"
               "select @result")
        .arg(lockResource(table))
        .arg(kLockWaitMilliseconds);
}

QString unlockStatement(const ResultTable& table) {
    return QStringLiteral("exec tempdb.dbo.sp_releaseapplock @Resource = %1, @LockOwner = 'Session'")
        .arg(lockResource(table));
}

QString dropStatement(const ResultTable& table) {
    return QStringLiteral("if object_id(%1) is not null drop table tempdb..%2")
        .arg(sqlUnicodeText(QStringLiteral("tempdb..") + sqlName(table.name())), sqlName(table.name()));
}

}  // namespace

ResultTableHold::ResultTableHold(odbc::Connection* connection, const ResultTable& table, RunContext& run)
    : connection_(connection), table_(table), run_(run) {
    if (!connection_ || table_.isEmpty()) return;
    if (table_.sharing() == ResultTable::Sharing::Private) {
        held_ = true;
        return;
    }
    run_.showScript(QStringLiteral("等待其他运行结束（结果表 %1）").arg(table_.name()));
    const QString doing = QStringLiteral("锁定结果表 %1").arg(table_.name());
    const QString answer =
        ProgramStatements(*connection_, &run_).value(lockStatement(table_), doing).value_or(QString());
    bool number = false;
    const int result = answer.toInt(&number);
    if (!number || result < 0) {
        // -1: the wait ran out, -2: cancelled, -3: deadlock, -999: refused.
        const QString why = result == -1 ? QStringLiteral("另一个运行正在使用结果表 %1，等待 %2 秒后仍未结束。")
                                               .arg(table_.name())
                                               .arg(kLockWaitMilliseconds / 1000)
                                         : QStringLiteral("服务器没有给出锁（sp_getapplock 返回 %1）。").arg(answer);
        throw StatementFailure{RunOutcome::failed(doing + QStringLiteral("失败：\n") + why)};
    }
    held_ = true;
}

ResultTableHold::~ResultTableHold() {
    if (!held_) return;
    try {
        // Not through the run: a cancelled run must still let go.
        end(QString(), nullptr);
    } catch (const StatementFailure&) {
    }
}

void ResultTableHold::release(const QString& phase) {
    if (!held_) return;
    held_ = false;
    end(phase, &run_);
}

void ResultTableHold::end(const QString& phase, RunContext* run) {
    held_ = false;
    const ProgramStatements statements(*connection_, run);
    const QString prefix = phase.isEmpty() ? QString() : phase + QStringLiteral("：");
    if (table_.sharing() == ResultTable::Sharing::Private)
        statements.send(dropStatement(table_), prefix + QStringLiteral("删除本次运行的结果表 %1").arg(table_.name()));
    else
        statements.send(unlockStatement(table_), prefix + QStringLiteral("释放结果表 %1 的锁").arg(table_.name()));
}

}  // namespace tallomar
