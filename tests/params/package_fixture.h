#pragma once

#include "logic/params/package_list.h"

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

namespace tallomar::test {

// A package list and script configuration files in a temporary folder, which
// is the list's base folder. Files are written in code page 936
// with CR LF line breaks, as they come from Windows.
class PackageFixture {
public:
    PackageFixture();
    ~PackageFixture();

    QString folder() const { return dir_.path(); }
    QString path(const QString& relative) const;

    // Writes `text` (lines separated by "\n") to `relative`, creating folders.
    QString writeFile(const QString& relative, const QString& text) const;
    void writeBytes(const QString& relative, const QByteArray& bytes) const;
    QByteArray readBytes(const QString& relative) const;

    // Writes the package list "list.ini" from its [File] lines and makes it
    // list() with `count` entries.
    void writeList(const QString& fileSection, int count);
    const PackageList& list() const { return list_; }

private:
    QTemporaryDir dir_;
    PackageList list_;
};

}  // namespace tallomar::test
