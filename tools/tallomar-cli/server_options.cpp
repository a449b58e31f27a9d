#include "server_options.h"

#include "platform/text/blanks.h"
#include "tooldb/tool_access.h"

#include <QDir>
#include <iostream>
#include <string>

namespace tallomar::cli {

namespace {

QString readPassword() {
    std::string line;
    std::getline(std::cin, line);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return QString::fromStdString(line);
}

}  // namespace

void addPackageAndLoginOptions(QCommandLineParser& parser) {
    parser.addOptions({
        {QStringLiteral("package"), QStringLiteral("the tool package folder (ZOL.mdb and scripts)"),
         QStringLiteral("DIR")},
        {QStringLiteral("server"), QStringLiteral("the SQL Server, e.g. (local) or host,port"), QStringLiteral("NAME")},
        {QStringLiteral("user"), QStringLiteral("the SQL Server login"), QStringLiteral("NAME")},
        {QStringLiteral("password-stdin"), QStringLiteral("read the login's password from the first line of stdin")},
    });
}

QString required(const QCommandLineParser& parser, const QString& name) {
    const QString value = parser.value(name);
    if (value.isEmpty()) throw CommandFailure{QStringLiteral("missing --%1").arg(name)};
    return value;
}

void readPackageAndLogin(const QCommandLineParser& parser, Session& session) {
    session.gToolFolder = QDir(required(parser, QStringLiteral("package"))).absolutePath();
    session.gToolDbPath = QDir(session.gToolFolder).filePath(QStringLiteral("ZOL.mdb"));
    session.gServerName = required(parser, QStringLiteral("server"));
    session.gUserName = required(parser, QStringLiteral("user"));
}

void openPackage(const QCommandLineParser& parser, Session& session) {
    session.gPassWord = parser.isSet(QStringLiteral("password-stdin")) ? readPassword() : QString();
    session.cnTool = tooldb::ToolDatabase::open(session.gToolDbPath);
    session.gToolName = TrimBlanks(SelectValue(QStringLiteral("cValue"), QStringLiteral("ZOL"),
                                               QStringLiteral("cName='ToolName'"), *session.cnTool));
}

}  // namespace tallomar::cli
