#pragma once

#include "logic/sweep/sweep_run.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>

namespace tallomar {

// What a sweep found, for its reports.
struct SweepReport {
    QString server;
    QString package;  // the tool's name, or its folder when it has none
    QDateTime started;
    QList<DatabaseCheck> checks;

    // The findings of every database checked.
    qint64 totalFindings() const;
};

// {"server": ..., "databases": [{"database", "account", "year", "status",
// "findings" (null unless the check finished), "error" (null unless it
// failed)}], "total": findings of all databases}
QByteArray sweepJson(const SweepReport& report);

// One line per database in aligned columns (a Chinese character takes two
// columns of a terminal), then the total.
QString sweepTextTable(const SweepReport& report);

// The columns a terminal gives `text`: two for wide (East Asian) characters.
int terminalWidth(const QString& text);

}  // namespace tallomar
