#pragma once

#include "logic/workbench/workbench.h"
#include "tooldb/tool_database.h"

#include <QString>
#include <QTemporaryDir>
#include <memory>

namespace tallomar {

// A package's check run made private to one worker of a sweep. Check scripts
// leave their findings in a tempdb table of a fixed name, which every
// session on the server shares: two checks at once on one server would
// drop, fill and read each other's table. The private copy holds the check
// scripts with that name replaced, wherever it stands as a whole name, by one
// no other worker uses, and its check rows name that table; the scripts are
// otherwise the package's own. Each copy has its own tool-database handle, so
// workers share nothing.
class PrivateCheckPackage {
public:
    // Copies the check scripts of the session's package for worker
    // `worker`. Throws Error naming the file that cannot be read or written.
    PrivateCheckPackage(const Session& login, int worker);

    // The folder the copied scripts are in, to run them from.
    QString folder() const { return folder_.path(); }
    // The result table the copied scripts fill.
    QString resultTable() const { return privateTable_; }
    // The tool-database reads of a check run from the copy.
    ToolReads reads() const;

private:
    std::unique_ptr<tooldb::ToolDatabase> tool_;
    QTemporaryDir folder_;
    QString packageTable_;
    QString privateTable_;
};

}  // namespace tallomar
