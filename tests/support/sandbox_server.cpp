#include "support/sandbox_server.h"

#include <QDir>
#include <QFileInfo>
#include <stdexcept>

namespace tallomar::test {
namespace {

sandbox::ServerOptions optionsFor(SandboxServer::Data data, std::chrono::milliseconds loginDelay) {
    sandbox::ServerOptions options;
    options.loginDelay = loginDelay;
    options.logins.push_back({SandboxServer::User, SandboxServer::Password});
    if (data == SandboxServer::Data::Demo) options.dataFolder = TALLOMAR_SANDBOX_DEMO_DATA;
    return options;
}

}  // namespace

SandboxServer::SandboxServer(Data data, std::chrono::milliseconds loginDelay) : server_(optionsFor(data, loginDelay)) {}

QString SandboxServer::serverName() const {
    return QStringLiteral("127.0.0.1,%1").arg(port());
}

QString SandboxServer::odbcConnectionString(const QString& database) const {
    return QStringLiteral("Driver=%1;Server=127.0.0.1;Port=%2;UID=%3;PWD=%4;Database=%5;TDS_Version=7.4")
        .arg(freeTdsDriverPath())
        .arg(port())
        .arg(QString::fromLatin1(User), QString::fromLatin1(Password), database);
}

QString freeTdsDriverPath() {
    // Debian keeps ODBC drivers in a per-architecture folder; other systems
    // in the plain library folders.
    QStringList folders = {QStringLiteral("/usr/lib/odbc"), QStringLiteral("/usr/lib64"), QStringLiteral("/usr/lib"),
                           QStringLiteral("/usr/local/lib"), QStringLiteral("/usr/local/lib/odbc")};
    const QDir lib(QStringLiteral("/usr/lib"));
    for (const QString& arch : lib.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        folders << lib.filePath(arch + QStringLiteral("/odbc")) << lib.filePath(arch);
    }
    for (const QString& folder : folders) {
        const QFileInfo driver(folder + QStringLiteral("/libtdsodbc.so"));
        if (driver.exists()) return driver.absoluteFilePath();
    }
    throw std::runtime_error("the FreeTDS ODBC driver libtdsodbc.so is not installed");
}

}  // namespace tallomar::test
