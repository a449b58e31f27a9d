#pragma once

#include "platform/odbc/odbc.h"

#include <QString>

// What the operator reads when the server or the driver refused: the
// program's own words for the common failures of reaching the server, then
// the driver's.
namespace tallomar {

inline const QString kServerUnreachable = QStringLiteral("无法连接服务器，请检查服务器和网络。");
inline const QString kLoginRefused = QStringLiteral("服务器拒绝了登录，请检查用户名和密码。");
inline const QString kServerTimedOut = QStringLiteral("等待服务器响应超时，请检查服务器和网络。");

// The driver's text with the driver manager's and the driver's tags
// ("[unixODBC][Driver Manager]", "[FreeTDS][SQL Server]", "[Microsoft][ODBC
// Driver 18 for SQL Server]") taken off the front of each line; a server's
// own text that starts with a bracket keeps it.
QString withoutDriverTags(const QString& driverText);

// Why reaching the server failed: the driver's text without its tags, or
// the words of a failure before the driver was reached.
QString driverReason(const Error& error);

// A refused login (error 18456), a server that cannot be reached or a lost
// link (SQLSTATE class 08) and an expired timeout (HYT00, HYT01): a Chinese
// first line, then the driver's text without its tags. Any other failure (a
// script's own error) as the driver words it.
QString serverFailureText(const odbc::Error& error);

}  // namespace tallomar
