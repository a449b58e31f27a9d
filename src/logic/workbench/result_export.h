#pragma once

#include "platform/text/delimited_text.h"

#include <QDateTime>
#include <QModelIndexList>
#include <QString>
#include <QStringList>

namespace tallomar {

class ResultModel;

// The byte-order mark that tells spreadsheet programs a CSV file is UTF-8.
inline constexpr char kUtf8Bom[] = "\xEF\xBB\xBF";

// The file name an export proposes: tool name, database and the minute,
// "<tool>_<database>_<yyyyMMdd-HHmm>.csv", with every character that a file
// name cannot hold on Linux or Windows replaced by "_".
QString proposedExportFileName(const QString& toolName, const QString& databaseName, const QDateTime& when);

// The folder the last export went to, as kept in the user's settings file;
// the home folder before the first export or when that folder is gone.
QString lastExportFolder();
void rememberExportFolder(const QString& folder);

// Writes the whole result, header first, as a UTF-8 CSV file with a
// byte-order mark. The file appears only when complete; throws Error naming
// the file otherwise.
void writeResultCsv(const ResultModel& model, const QString& path);

// The selected cells as tab-separated text for the clipboard: the headers of
// the selected columns, then one line per selected row.
QString selectionText(const ResultModel& model, const QModelIndexList& selection);

}  // namespace tallomar
