#pragma once

#include "platform/text/delimited_text.h"

#include <QModelIndexList>
#include <QString>
#include <QStringList>

namespace tallomar {

class ResultModel;

// The byte-order mark that tells spreadsheet programs a CSV file is UTF-8.
inline constexpr char kUtf8Bom[] = "\xEF\xBB\xBF";

// Writes the whole result, header first, as a UTF-8 CSV file with a
// byte-order mark. The file appears only when complete; throws Error naming
// the file otherwise.
void writeResultCsv(const ResultModel& model, const QString& path);

// The selected cells as tab-separated text for the clipboard: the headers of
// the selected columns, then one line per selected row.
QString selectionText(const ResultModel& model, const QModelIndexList& selection);

}  // namespace tallomar
