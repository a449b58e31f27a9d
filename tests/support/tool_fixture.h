#pragma once

#include "jet4writer/database_spec.h"

#include <QString>
#include <QTemporaryDir>
#include <QVariant>
#include <utility>
#include <vector>

// A small tool package database: settings, versions, script steps and
// problem descriptions, with Chinese texts, NULLs and empty texts.
namespace tallomar::test {

jet4::DatabaseSpec toolPackageSpec();

// toolPackageSpec() with `settings` as the cName/cValue rows of its ZOL table
// (cSys "TDB"); a null QVariant is a NULL cValue.
jet4::DatabaseSpec packageWithSettings(const std::vector<std::pair<QString, QVariant>>& settings);

// Writes a spec into a fresh temporary folder as ZOL.mdb.
class ToolDatabaseFile {
public:
    explicit ToolDatabaseFile(const jet4::DatabaseSpec& spec = toolPackageSpec());
    QString path() const { return folder_.filePath(QStringLiteral("ZOL.mdb")); }
    QString folder() const { return folder_.path(); }

private:
    QTemporaryDir folder_;
};

}  // namespace tallomar::test
