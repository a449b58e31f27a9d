#include "logic/params/script_configs.h"

#include "logic/params/ini_values.h"
#include "logic/params/params_globals.h"
#include "platform/text/windows_path.h"

#include <QDir>

namespace tallomar {

namespace {

QString listValue(int entry, int field) {
    return ReadIniValue(QStringLiteral("File"), QStringLiteral("%1.%2").arg(entry).arg(field),
                        QString(), QString())
        .toLower();
}

QString configValue(const QString& key, const QString& configPath) {
    return ReadIniValue(QStringLiteral("SQL"), key, QString(), configPath).toLower();
}

// The configuration file as a path of this system: folder + "\" + name, with
// Windows separators, letter case and relative folders given their meaning here.
QString configurationPath(const QString& folder, const QString& configName) {
    const QString windowsPath = (folder.isEmpty() ? gBaseFolder : folder) + QLatin1Char('\\') + configName;
    const QString path = QString(windowsPath).replace(QLatin1Char('\\'), QLatin1Char('/'));
    if (QDir::isAbsolutePath(path)) return resolveWindowsPath(windowsPath);
    return resolvePackagePath(gBaseFolder, windowsPath);
}

}  // namespace

QString LoadScriptConfigs(qint16& scriptCount, ScriptTable& scriptTable) {
    scriptCount = 0;
    QString message;
    scriptTable = ScriptTable(std::max<int>(gListCount, 0));
    for (int i = 1; i <= gListCount; ++i) {
        const QString name = listValue(i, 1);
        if (name.section(QLatin1Char('.'), -1) != QLatin1String("sql")) continue;
        const QString configName = listValue(i, 2);
        if (configName == QLatin1String("sql")) continue;
        const QString configPath = configurationPath(ResolveSystemPath(listValue(i, 3)), configName);
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
