#pragma once

#include "logic/params/package_list.h"

#include <QString>
#include <QtGlobal>
#include <vector>

namespace tallomar {

// One row of the table of configured scripts; all fields empty for an entry
// of the package list that was skipped.
struct ScriptEntry {
    QString configPath;      // field 1: the configuration file, as a path of this system
    QString displayName;     // field 2
    QString functionText;    // field 3: what the script does
    QString parameterCount;  // field 4: as written in the file, "0" when missing
};

// Rows 1 to the number of package-list entries, row i for entry i.
class ScriptTable {
public:
    explicit ScriptTable(int rows = 0) : rows_(static_cast<std::size_t>(rows)) {}

    int rowCount() const { return static_cast<int>(rows_.size()); }
    // Row `i`, counted from 1.
    const ScriptEntry& row(int i) const { return rows_.at(static_cast<std::size_t>(i - 1)); }
    ScriptEntry& row(int i) { return rows_.at(static_cast<std::size_t>(i - 1)); }

private:
    std::vector<ScriptEntry> rows_;
};

// Reads entries 1 to listCount of section "File" of the package list and fills `scriptTable` (one row per entry, empty
// for skipped entries) and `scriptCount` (rows filled). Entries whose script is not a
// ".sql" file, or whose configuration file name is "sql", are skipped. The
// configuration file lies in the entry's folder (i.3) after folder words are
// replaced (ResolveSystemPath); an empty folder means the list's base folder
// and a relative one lies in it; the Windows-written path is matched
// without regard to letter case. Returns one line "  脚本： <script> 缺少配置文件"
// plus CR LF per script whose configuration file is missing, or "" when none is.
QString LoadScriptConfigs(const PackageList& list, qint16& scriptCount, ScriptTable& scriptTable);

}  // namespace tallomar
