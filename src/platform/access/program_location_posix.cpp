#include "platform/access/program_location.h"

#include "platform/error.h"

#include <unistd.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace tallomar::mdb {

QString programBesideThisOne(const QString& name) {
    char self[4096];
    const ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
    if (length <= 0) throw Error(QStringLiteral("cannot find the running program, nor %1 beside it").arg(name));
    return QFileInfo(QFile::decodeName(QByteArray(self, length))).dir().filePath(name);
}

}  // namespace tallomar::mdb
