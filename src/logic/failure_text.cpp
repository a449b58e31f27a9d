#include "logic/failure_text.h"

#include "tooldb/tool_database_error.h"

#include <QDir>

namespace tallomar {

QString operatorText(const Error& failure, const QString& toolDatabasePath) {
    const auto* toolDatabase = dynamic_cast<const tooldb::ToolDatabaseError*>(&failure);
    if (!toolDatabase) return failure.message();
    const QString file = QDir::toNativeSeparators(toolDatabasePath);
    using Kind = tooldb::ToolDatabaseError::Kind;
    switch (toolDatabase->kind()) {
        case Kind::Unreadable:
            return QStringLiteral("工具数据库已损坏或无法读取：%1").arg(file);
        case Kind::NotAToolDatabase:
            if (toolDatabase->subject().column.isEmpty())
                return QStringLiteral("工具数据库没有表 %1：%2").arg(toolDatabase->subject().table, file);
            return QStringLiteral("工具数据库的表 %1 没有可读的列 %2：%3")
                .arg(toolDatabase->subject().table, toolDatabase->subject().column, file);
        case Kind::Refused:
            return QStringLiteral("工具数据库只允许修改数据（UPDATE）语句");
        case Kind::Busy:
            return QStringLiteral("工具数据库正被另一个程序修改，请稍后再试");
        case Kind::NotSaved:
            return QStringLiteral("工具数据库未能保存修改：%1").arg(file);
        case Kind::ProgramIncomplete:
            return QStringLiteral("程序不完整，缺少文件：%1，请重新安装本程序")
                .arg(QDir::toNativeSeparators(toolDatabase->subject().missingFile));
        case Kind::Failed:
            break;
    }
    return QStringLiteral("工具数据库读写失败：%1").arg(file);
}

}  // namespace tallomar
