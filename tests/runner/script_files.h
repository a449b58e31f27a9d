#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace tallomar::test {

// A scratch package folder holding script files written byte for byte.
class ScriptFolder {
public:
    ScriptFolder();
    QString path() const { return dir_.path(); }
    // Writes `bytes` to `name` (may hold sub-folders) and returns its full path.
    QString write(const QString& name, const QByteArray& bytes) const;

private:
    QTemporaryDir dir_;
};

// The batches forEachBatch hands out for the file.
QStringList batchesOf(const QString& path);

// GBK bytes of `text` (tests write Chinese comments as the package authors do).
QByteArray gbk(const QString& text);

}  // namespace tallomar::test
