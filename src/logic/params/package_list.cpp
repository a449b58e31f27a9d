#include "logic/params/package_list.h"

#include "platform/error.h"
#include "platform/text/profile.h"

#include <QFile>
#include <QFileInfo>
#include <limits>

namespace tallomar {

namespace {

constexpr int kMostEntries = std::numeric_limits<qint16>::max();

int countedEntries(const QString& file) {
    int count = 0;
    while (count < kMostEntries &&
           profile::readValue(file, QStringLiteral("File"), QStringLiteral("%1.1").arg(count + 1)))
        ++count;
    return count;
}

}  // namespace

PackageList OpenPackageList(const QString& path) {
    const QFileInfo info(path);
    if (path.isEmpty() || !info.exists()) throw Error(QStringLiteral("找不到脚本列表文件：%1").arg(path));
    QFile file(info.absoluteFilePath());
    if (!info.isFile() || !file.open(QIODevice::ReadOnly))
        throw Error(QStringLiteral("无法读取脚本列表文件：%1（%2）")
                        .arg(path, info.isFile() ? file.errorString() : QStringLiteral("不是文件")));
    file.close();

    const QString listFile = info.absoluteFilePath();
    int count = 0;
    if (const auto written = profile::readValue(listFile, QStringLiteral("File"), QStringLiteral("Count"))) {
        bool ok = false;
        count = written->toInt(&ok);
        if (!ok || count < 0 || count > kMostEntries)
            throw Error(QStringLiteral("脚本列表文件 %1 的 Count 值不是 0 到 %2 的整数：%3")
                            .arg(path)
                            .arg(kMostEntries)
                            .arg(*written));
    } else {
        count = countedEntries(listFile);
    }
    return {listFile, static_cast<qint16>(count), info.absolutePath()};
}

}  // namespace tallomar
