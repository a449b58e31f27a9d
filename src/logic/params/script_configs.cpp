#include "logic/params/script_configs.h"

#include "logic/params/ini_values.h"
#include "platform/text/windows_path.h"

#include <QDir>

namespace tallomar {

namespace {

QString listValue(const PackageList& list, int entry, int field) {
    return ReadIniValue(QStringLiteral("File"), QStringLiteral("%1.%2").arg(entry).arg(field), QString(), list.listFile)
        .toLower();
}

QString configValue(const QString& key, const QString& configPath) {
    return ReadIniValue(QStringLiteral("SQL"), key, QString(), configPath).toLower();
}

// The configuration file as a path of this system: folder + "\" + name, with
// Windows separators, letter case and relative folders given their meaning here.
QString configurationPath(const PackageList& list, const QString& folder, const QString& configName) {
    const QString windowsPath = (folder.isEmpty() ? list.baseFolder : folder) + QLatin1Char('\\') + configName;
    const QString path = QString(windowsPath).replace(QLatin1Char('\\'), QLatin1Char('/'));
    if (QDir::isAbsolutePath(path)) return resolveWindowsPath(windowsPath);
    return resolvePackagePath(list.baseFolder, windowsPath);
}

}  // namespace

QString LoadScriptConfigs(const PackageList& list, qint16& scriptCount, ScriptTable& scriptTable) {
    scriptCount = 0;
    QString message;
    scriptTable = ScriptTable(std::max<int>(list.listCount, 0));
    for (int i = 1; i <= list.listCount; ++i) {
        const QString name = listValue(list, i, 1);
        if (name.section(QLatin1Char('.'), -1) != QLatin1String("sql")) continue;
        const QString configName = listValue(list, i, 2);
        if (configName == QLatin1String("sql")) continue;
        const QString configPath = configurationPath(list, ResolveSystemPath(list, listValue(list, i, 3)), configName);
        if (!FileExists(configPath)) {
            message += QStringLiteral("  脚本： ") + name + QStringLiteral(" 缺少配置文件\r\n");
            continue;
        }
        ++scriptCount;
        ScriptEntry& row = scriptTable.row(i);
        row.configPath = configPath;
        row.displayName = configValue(QStringLiteral("Name"), configPath);
        if (row.displayName.isEmpty()) row.displayName = name;
        row.functionText = configValue(QStringLiteral("Function"), configPath);
        row.parameterCount = configValue(QStringLiteral("VarNum"), configPath);
        if (row.parameterCount.isEmpty()) row.parameterCount = QStringLiteral("0");
    }
    return message;
}

}  // namespace tallomar
