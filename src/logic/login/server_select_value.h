#pragma once

#include <QString>

namespace tallomar {

namespace odbc { class Connection; }

// SelectValue on a server connection: the same statement as on the tool
// database ("select field from table where 1=1 and condition"), the first
// row's value as text; empty text for no row, a NULL or any failure.
QString SelectValue(const QString& field, const QString& table, const QString& condition,
                    odbc::Connection& connection);

}  // namespace tallomar
