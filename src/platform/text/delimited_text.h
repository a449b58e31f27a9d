#pragma once

#include <QString>
#include <QStringList>

namespace tallomar {

// One CSV record (RFC 4180): fields holding a comma, a quote or a line break
// are quoted, quotes doubled; the record ends with CR LF.
QString csvRecord(const QStringList& fields);

// One line of tab-separated text, without its line end. Each field has its
// tab, CR, LF and backslash written as \t, \r, \n and \\, so a field never
// splits a line or a record.
QString tabSeparatedLine(const QStringList& fields);

// The fields of a line written by tabSeparatedLine, escapes undone.
QStringList splitTabSeparatedLine(const QString& line);

}  // namespace tallomar
