#pragma once

#include <QString>
#include <QTemporaryDir>
#include <QVariant>
#include <vector>

namespace tallomar::test {

// A tool package in a temporary folder: the folder `file` with a ZOL.mdb
// whose table Bewrite holds the given descriptions. Opening it makes it
// cnTool and its folder gToolFolder; the destructor puts every process-wide
// value back.
class BewritePackage {
public:
    struct Description {
        QVariant id;       // a LongInteger column, as AutoNumber keys are
        QVariant operate;  // null QVariant: NULL
        QVariant result;
        QVariant path;
    };

    BewritePackage();
    ~BewritePackage();

    QString toolFolder() const;
    QString path(const QString& relative) const { return root_.filePath(relative); }

    // Writes file/ZOL.mdb with `descriptions` in table Bewrite and opens it as cnTool.
    void open(const std::vector<Description>& descriptions);

private:
    QTemporaryDir root_;
};

}  // namespace tallomar::test
