#include "platform/access/mdb_save_files.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

namespace tallomar::mdb {

namespace {

constexpr qint64 kStaleAfterSeconds = 60;
// Marks the copies a save writes, so that the removal of stale ones never
// meets a file a person named: ".ZOL.mdb.backup" is someone's, not ours.
constexpr char kCopyMarker[] = "~tallomar-save~";

}  // namespace

QString copyPattern(const QString& folder, const QString& stem) {
    return QDir(folder).filePath(QStringLiteral(".%1.%2XXXXXX").arg(stem, QLatin1String(kCopyMarker)));
}

void removeStaleCopies(const QString& folder, const QString& fileName) {
    // The copies end in six letters or digits where the pattern has XXXXXX.
    const QRegularExpression copyName(
        QStringLiteral("^\\.%1(\\.bak)?\\.%2[A-Za-z0-9]{6}$")
            .arg(QRegularExpression::escape(fileName), QRegularExpression::escape(QLatin1String(kCopyMarker))));
    const QDateTime staleBefore = QDateTime::currentDateTimeUtc().addSecs(-kStaleAfterSeconds);
    const QFileInfoList entries = QDir(folder).entryInfoList({QStringLiteral(".") + fileName + QStringLiteral(".*")},
                                                             QDir::Files | QDir::Hidden | QDir::System);
    for (const QFileInfo& entry : entries) {
        if (entry.isSymLink() || !copyName.match(entry.fileName()).hasMatch()) continue;
        if (entry.lastModified() < staleBefore) QFile::remove(entry.filePath());
    }
}

}  // namespace tallomar::mdb
