#include "package_fixture.h"

#include "platform/text/codepage.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace tallomar::test {

PackageFixture::PackageFixture() {
    list_.baseFolder = dir_.path();
}

PackageFixture::~PackageFixture() {
    // Files left read-only must not keep the folder from being removed.
    QDir dir(dir_.path());
    for (const QFileInfo& entry : dir.entryInfoList(QDir::Files | QDir::NoDotAndDotDot))
        QFile::setPermissions(entry.filePath(), entry.permissions() | QFileDevice::WriteOwner);
}

QString PackageFixture::path(const QString& relative) const {
    return dir_.filePath(relative);
}

QString PackageFixture::writeFile(const QString& relative, const QString& text) const {
    const auto bytes = codepage::encodeGbk(QString(text).replace(QLatin1Char('\n'), QStringLiteral("\r\n")));
    EXPECT_TRUE(bytes.has_value()) << "not GBK: " << text.toStdString();
    writeBytes(relative, bytes.value_or(QByteArray()));
    return path(relative);
}

void PackageFixture::writeBytes(const QString& relative, const QByteArray& bytes) const {
    const QString target = path(relative);
    QDir().mkpath(QFileInfo(target).absolutePath());
    QFile file(target);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << target.toStdString();
    file.write(bytes);
}

QByteArray PackageFixture::readBytes(const QString& relative) const {
    QFile file(path(relative));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << relative.toStdString();
    return file.readAll();
}

void PackageFixture::writeList(const QString& fileSection, int count) {
    list_.listFile = writeFile(QStringLiteral("list.ini"), QStringLiteral("[File]\n") + fileSection);
    list_.listCount = static_cast<qint16>(count);
}

}  // namespace tallomar::test
