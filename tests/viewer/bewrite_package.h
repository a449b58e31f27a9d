#pragma once

#include "tooldb/tool_database.h"

#include <QString>
#include <QTemporaryDir>
#include <QVariant>
#include <memory>
#include <vector>

namespace tallomar::test {

// A tool package in a temporary folder: the folder `file` with a ZOL.mdb
// whose table Bewrite holds the given descriptions, opened as tool().
class BewritePackage {
public:
    struct Description {
        QVariant id;       // a LongInteger column, as AutoNumber keys are
        QVariant operate;  // null QVariant: NULL
        QVariant result;
        QVariant path;
    };

    BewritePackage();

    QString toolFolder() const;
    QString path(const QString& relative) const { return root_.filePath(relative); }

    // Writes file/ZOL.mdb with `descriptions` in table Bewrite and opens it.
    void open(const std::vector<Description>& descriptions);
    const std::shared_ptr<tooldb::ToolDatabase>& tool() const { return tool_; }

private:
    QTemporaryDir root_;
    std::shared_ptr<tooldb::ToolDatabase> tool_;
};

}  // namespace tallomar::test
