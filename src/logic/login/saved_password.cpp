#include "logic/login/saved_password.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace tallomar {

StoredPasswordLookup lookUpStoredPassword(const credentials::CredentialKey& key) {
    try {
        return {credentials::readPassword(key), {}};
    } catch (const Error& error) {
        return {std::nullopt, error.message()};
    }
}

StoreChangeFailure applyStoreChange(const StoreChange& change) {
    StoreChangeFailure failure;
    if (change.write) {
        try {
            credentials::writePassword(change.write->first, change.write->second);
        } catch (const Error& error) {
            failure.writeFailure = error.message();
        }
    }
    for (const credentials::CredentialKey& key : change.remove) {
        try {
            credentials::removePassword(key);
        } catch (const Error& error) {
            failure.removeFailure = error.message();
        }
    }
    return failure;
}

QString removePreviousCopyWithPassword(const QString& toolDatabasePath) {
    // The save writes the file a link points to, and keeps its copy beside it.
    const QFileInfo file(toolDatabasePath);
    QFile copy((file.isSymLink() ? file.symLinkTarget() : file.absoluteFilePath()) + QStringLiteral(".bak"));
    if (!copy.exists() || copy.remove()) return {};
    return QStringLiteral("工具数据库的旧副本仍含有明文口令，未能删除，请手工删除：%1\n%2")
        .arg(QDir::toNativeSeparators(copy.fileName()), copy.errorString());
}

QString storeUnavailableText(const QString& reason) {
    return QStringLiteral("无法使用系统的凭据存储，口令不会保存，请通过“SA口令”输入口令。\n") + reason;
}

QString storeRemoveFailedText(const QString& reason) {
    return QStringLiteral("保存的口令未能从系统的凭据存储中删除，请在系统的密码管理中删除。\n") + reason;
}

}  // namespace tallomar
