#include "script_files.h"

#include "logic/workbench/script_batches.h"
#include "platform/text/codepage.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <stdexcept>

namespace tallomar::test {

ScriptFolder::ScriptFolder() {
    if (!dir_.isValid()) throw std::runtime_error("no scratch folder");
}

QString ScriptFolder::write(const QString& name, const QByteArray& bytes) const {
    const QString path = dir_.filePath(name);
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        throw std::runtime_error("cannot write " + path.toStdString());
    return path;
}

QStringList batchesOf(const QString& path) {
    QStringList batches;
    forEachBatch(path, [&](const QString& batch, qint64) { batches << batch; });
    return batches;
}

QByteArray gbk(const QString& text) {
    const auto bytes = codepage::encodeGbk(text);
    if (!bytes) throw std::runtime_error("text has no GBK form");
    return *bytes;
}

}  // namespace tallomar::test
