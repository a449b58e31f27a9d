#include "logic/params/ini_values.h"

#include "platform/error.h"
#include "platform/text/blanks.h"
#include "platform/text/codepage.h"
#include "platform/text/profile.h"

#include <QFile>
#include <array>

namespace tallomar {

namespace {

// The longest value the reader hands out, as the Windows reader with its
// buffer of 256 characters does.
constexpr qsizetype kValueLimit = 255;

qint16 ansiCode(QChar c) {
    if (c.unicode() < 0x80) return static_cast<qint16>(c.unicode());
    const auto bytes = codepage::encodeGbk(QStringView(&c, 1));
    if (!bytes) return '?';
    const auto byte = [&](int i) { return static_cast<unsigned char>(bytes->at(i)); };
    if (bytes->size() == 1) return static_cast<qint16>(byte(0));
    return static_cast<qint16>(static_cast<quint16>(byte(0) << 8 | byte(1)));
}

void setReadOnly(QFile& file, bool readOnly) {
    constexpr auto writeBits =
        QFileDevice::WriteOwner | QFileDevice::WriteUser | QFileDevice::WriteGroup | QFileDevice::WriteOther;
    const auto permissions = file.permissions();
    file.setPermissions(readOnly ? permissions & ~writeBits
                                 : permissions | QFileDevice::WriteOwner | QFileDevice::WriteUser);
}

}  // namespace

QString ReadIniValue(const QString& section, const QString& key, const QString& defaultValue, const QString& file) {
    const auto written = file.isEmpty() ? std::nullopt : profile::readValue(file, section, key);
    const QString buffer = written.value_or(defaultValue).left(kValueLimit);
    QString value = buffer;
    const qsizetype comment = buffer.indexOf(QStringLiteral("//"));
    // A value that starts with "//" has no character before the comment to
    // drop: it reads as empty.
    if (comment >= 0) value = TrimBlanks(buffer.left(std::max<qsizetype>(comment - 1, 0)));
    return TrimBlanks(StripChar(value, 0));
}

void WriteIniValue(const QString& section, const QString& key, const QString& value, const QString& file) {
    if (file.isEmpty()) throw Error(QStringLiteral("no file named to store [%1] %2=%3 in").arg(section, key, value));
    QFile target(file);
    if (target.exists()) setReadOnly(target, false);
    try {
        profile::writeValue(target.fileName(), section, key, value);
    } catch (const Error&) {
        if (target.exists()) setReadOnly(target, true);
        throw;
    }
    setReadOnly(target, true);
}

QString WindowsFolder(const PackageList& list) {
    return list.baseFolder + QStringLiteral("/windows");
}

QString SystemFolder(const PackageList& list) {
    return list.baseFolder + QStringLiteral("/windows/system32");
}

QString ResolveSystemPath(const PackageList& list, const QString& path) {
    const std::array<std::pair<QString, QString>, 4> words{{
        {QStringLiteral("windows"), WindowsFolder(list)},
        {QStringLiteral("winnt"), WindowsFolder(list)},
        {QStringLiteral("system32"), SystemFolder(list)},
        {QStringLiteral(".."), list.baseFolder},
    }};
    for (const auto& [word, folder] : words) {
        const qsizetype at = path.indexOf(word);
        if (at >= 0) return folder + path.mid(at + word.size());
    }
    return path;
}

QString StripChar(const QString& text, qint16 code) {
    QString kept;
    kept.reserve(text.size());
    for (const QChar c : text)
        if (ansiCode(c) != code) kept.append(c);
    return kept;
}

}  // namespace tallomar
