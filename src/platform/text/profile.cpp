#include "platform/text/profile.h"

#include "platform/error.h"
#include "platform/text/profile_document.h"

#include <QFile>
#include <QSaveFile>

namespace tallomar::profile {

std::optional<QString> readValue(const QString& filePath, const QString& section, const QString& key) {
    QFile file(filePath);
    if (filePath.isEmpty() || !file.open(QIODevice::ReadOnly)) return std::nullopt;
    return Document(file.readAll()).value(section, key);
}

void writeValue(const QString& filePath, const QString& section, const QString& key, const QString& value) {
    const auto fail = [&](const QString& reason) {
        return Error(QStringLiteral("%1: cannot store [%2] %3: %4").arg(filePath, section, key, reason));
    };
    if (filePath.isEmpty()) throw fail(QStringLiteral("no file named"));

    QByteArray old;
    QFile current(filePath);
    // A file without write permission for its owner is read-only, as a file
    // with the read-only attribute is on Windows, whoever runs the program.
    if (current.exists() && !current.permissions().testFlag(QFileDevice::WriteOwner))
        throw fail(QStringLiteral("the file is read-only"));
    if (current.exists()) {
        if (!current.open(QIODevice::ReadOnly)) throw fail(current.errorString());
        old = current.readAll();
        current.close();
    }
    QByteArray updated;
    try {
        updated = Document(old).withValue(section, key, value);
    } catch (const Error& error) {
        throw fail(error.message());
    }

    // QSaveFile writes a new file beside the old one and renames it over the
    // old one only when every byte is written: a crash leaves one whole file.
    QSaveFile file(filePath);
    if (!file.open(QIODevice::WriteOnly)) throw fail(file.errorString());
    if (file.write(updated) != updated.size() || !file.commit()) throw fail(file.errorString());
}

}  // namespace tallomar::profile
