#include "logic/sweep/private_check_package.h"

#include "logic/workbench/script_text_reader.h"
#include "platform/error.h"
#include "platform/text/windows_path.h"
#include "tooldb/tool_access.h"

#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSaveFile>

namespace tallomar {

namespace {

const QString kCheckSteps = QStringLiteral("select cPath, cResult from File where cSign='校验' order by iOrder");

// Characters that continue a T-SQL name: a match must not be part of a longer one.
QRegularExpression wholeName(const QString& name) {
    return QRegularExpression(
        QStringLiteral("(?<![\\w#@$])%1(?![\\w#@$])").arg(QRegularExpression::escape(name)),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::UseUnicodePropertiesOption);
}

QString readScript(const QString& path) {
    ScriptTextReader reader(path);
    QString text;
    QStringView line;
    while (reader.nextLine(line)) {
        text += line;
        text += QStringLiteral("\r\n");
    }
    return text;
}

void writeScript(const QString& path, const QString& text) {
    if (!QDir().mkpath(QFileInfo(path).path())) throw Error(QStringLiteral("%1: cannot make its folder").arg(path));
    QSaveFile file(path);
    // The byte-order mark tells the runner the copy is UTF-8, whatever the original's code page.
    if (!file.open(QIODevice::WriteOnly) || file.write("\xEF\xBB\xBF") < 0 || file.write(text.toUtf8()) < 0 ||
        !file.commit())
        throw Error(QStringLiteral("%1: %2").arg(path, file.errorString()));
}

}  // namespace

PrivateCheckPackage::PrivateCheckPackage(const Session& login, int worker)
    : tool_(tooldb::ToolDatabase::open(login.gToolDbPath)) {
    if (!folder_.isValid())
        throw Error(QStringLiteral("cannot make a temporary folder: %1").arg(folder_.errorString()));
    const tooldb::Recordset steps = tool_->query(kCheckSteps);
    if (!steps.rows.empty()) packageTable_ = steps.value(steps.rows.size() - 1, QStringLiteral("cResult")).toString();
    privateTable_ = packageTable_.isEmpty()
                        ? QString()
                        : QStringLiteral("%1_sweep_%2_%3")
                              .arg(packageTable_, QString::number(QRandomGenerator::global()->generate(), 16))
                              .arg(worker);
    const QRegularExpression table = wholeName(packageTable_);
    for (std::size_t row = 0; row < steps.rows.size(); ++row) {
        const QVariant path = steps.value(row, QStringLiteral("cPath"));
        if (path.isNull() || path.toString() == u"999") continue;
        QString text = readScript(resolvePackagePath(login.gToolFolder, path.toString()));
        if (!packageTable_.isEmpty()) text.replace(table, privateTable_);
        writeScript(
            QDir(folder_.path()).filePath(QString(path.toString()).replace(QLatin1Char('\\'), QLatin1Char('/'))), text);
    }
}

ToolReads PrivateCheckPackage::reads() const {
    ToolReads reads = ToolReads::of(*tool_);
    return {reads.selectValue, [this, openRecordset = reads.openRecordset](const QString& sql) {
                tooldb::Recordset rows = openRecordset(sql);
                const int result = rows.columnIndex(QStringLiteral("cResult"));
                if (result < 0 || packageTable_.isEmpty()) return rows;
                for (auto& row : rows.rows) {
                    if (row[std::size_t(result)].toString().compare(packageTable_, Qt::CaseInsensitive) == 0)
                        row[std::size_t(result)] = privateTable_;
                }
                return rows;
            }};
}

}  // namespace tallomar
