#pragma once

#include "logic/sweep/sweep_report.h"

#include <QString>

namespace tallomar {

// The sweep as one self-contained UTF-8 page: server, package and time, a
// table of the databases with their counts, a bar chart of the findings per
// database (inline SVG) and each database's findings. Every text from the
// server or the package is HTML-escaped; the page loads nothing.
QString sweepHtml(const SweepReport& report);

// Writes the page to `path` whole or not at all; throws Error naming the
// file and the reason.
void writeSweepHtml(const SweepReport& report, const QString& path);

}  // namespace tallomar
