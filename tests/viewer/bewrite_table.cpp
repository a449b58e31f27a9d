#include "bewrite_table.h"

#include "platform/error.h"

#include <gtest/gtest.h>

namespace tallomar::test {

namespace {

const QString kList = QStringLiteral("select ID,cOperate as 操作步骤,cResult as 提示信息 from Bewrite");
const QString kDetail = QStringLiteral("select ID,cOperate,cResult,cPath,Picture from Bewrite where ID=");

}  // namespace

tooldb::Recordset BewriteTable::query(const QString& sql) {
    sent_ << sql;
    if (broken_) throw Error(QStringLiteral("ZOL.mdb: page 7 cannot be read"));
    tooldb::Recordset answer;
    if (sql == kList) {
        answer.columns = {QStringLiteral("ID"), QStringLiteral("操作步骤"), QStringLiteral("提示信息")};
        for (const Row& row : rows_) answer.rows.push_back({row.id, row.operate, row.result});
        return answer;
    }
    if (sql.startsWith(kDetail)) {
        answer.columns = {QStringLiteral("ID"), QStringLiteral("cOperate"), QStringLiteral("cResult"),
                          QStringLiteral("cPath"), QStringLiteral("Picture")};
        bool isNumber = false;
        const qint64 id = sql.mid(kDetail.size()).toLongLong(&isNumber);
        EXPECT_TRUE(isNumber) << sql.toStdString();
        for (const Row& row : rows_)
            if (!row.id.isNull() && row.id.toLongLong() == id)
                answer.rows.push_back({row.id, row.operate, row.result, row.path, QVariant()});
        return answer;
    }
    ADD_FAILURE() << "unexpected statement: " << sql.toStdString();
    throw Error(QStringLiteral("unexpected statement"));
}

}  // namespace tallomar::test
