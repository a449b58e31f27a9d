#include "platform/odbc/connection_string.h"

#include "platform/odbc/diagnostics.h"
#include "platform/text/user_settings.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <algorithm>

namespace tallomar::odbc {

namespace {

// A value braced as ODBC reads it: "}}" stands for one brace.
QString braced(const QString& value) {
    QString escaped = value;
    escaped.replace(QLatin1String("}"), QLatin1String("}}"));
    return QLatin1Char('{') + escaped + QLatin1Char('}');
}

// FreeTDS knows neither "(local)" nor ".": both mean this machine.
QString hostOf(const QString& host) {
    const QString h = host.trimmed();
    if (h == u"." || h.compare(u"(local)", Qt::CaseInsensitive) == 0 ||
        h.compare(u"localhost", Qt::CaseInsensitive) == 0)
        return QStringLiteral("127.0.0.1");
    return h;
}

// A registered name comes braced already.
QString driverField(const DriverChoice& driver) {
    return QStringLiteral("Driver=") +
           (driver.driver.startsWith(QLatin1Char('{')) ? driver.driver : braced(driver.driver)) + QLatin1Char(';');
}

void appendField(QString& out, const QString& key, const QString& value) {
    out += key + QLatin1Char('=') + braced(value) + QLatin1Char(';');
}

// The driver as a data source names it: a registered name without its
// braces, or the library's path.
QString dataSourceDriver(const QString& driver) {
    if (driver.startsWith(QLatin1Char('{')) && driver.endsWith(QLatin1Char('}')))
        return driver.mid(1, driver.size() - 2);
    return driver;
}

bool hasControlCharacter(const QString& text) {
    return std::any_of(text.begin(), text.end(), [](QChar c) { return c.category() == QChar::Other_Control; });
}

bool isFreeTdsLibrary(const QString& library) {
    // A Windows path names its file after the last backslash on any system.
    const QString file = QFileInfo(QString(library).replace(QLatin1Char('\\'), QLatin1Char('/'))).fileName();
    return file.startsWith(QLatin1String("libtdsodbc"), Qt::CaseInsensitive) ||
           file.startsWith(QLatin1String("tdsodbc"), Qt::CaseInsensitive);
}

bool isFreeTds(const InstalledDriver& driver) {
    return driver.name.contains(QLatin1String("FreeTDS"), Qt::CaseInsensitive) || isFreeTdsLibrary(driver.library);
}

constexpr char kDriverVariable[] = "TALLOMAR_ODBC_DRIVER";
const QString kDriverSetting = QStringLiteral("ODBC/Driver");
const QString kTrustSetting = QStringLiteral("ODBC/TrustServerCertificate");

}  // namespace

DriverChoice chooseDriver(const QList<InstalledDriver>& installed, const QString& freeTdsLibrary) {
    for (const QString& name : {QStringLiteral("SQL Server"), QStringLiteral("ODBC Driver 18 for SQL Server"),
                                QStringLiteral("ODBC Driver 17 for SQL Server")}) {
        for (const InstalledDriver& driver : installed)
            if (driver.name == name)
                return {QLatin1Char('{') + name + QLatin1Char('}'), isFreeTdsLibrary(driver.library)};
    }
    for (const InstalledDriver& driver : installed) {
        if (driver.name.compare(u"FreeTDS", Qt::CaseInsensitive) != 0 && !isFreeTdsLibrary(driver.library)) continue;
        const QString library = findDriverLibrary(driver.library);
        if (!library.isEmpty()) return {library, true};
    }
    if (!freeTdsLibrary.isEmpty()) return {freeTdsLibrary, true};
    for (const InstalledDriver& driver : installed)
        if (driver.name.compare(u"FreeTDS", Qt::CaseInsensitive) == 0)
            return {QStringLiteral("{%1}").arg(driver.name), true};
    // Nothing usable is installed: the driver manager's refusal names the
    // missing driver when the connection is tried.
    return {QStringLiteral("{SQL Server}"), false};
}

DriverChoice chooseWindowsDriver(const QList<InstalledDriver>& installed) {
    for (const QString& name :
         {QStringLiteral("ODBC Driver 18 for SQL Server"), QStringLiteral("ODBC Driver 17 for SQL Server"),
          QStringLiteral("SQL Server Native Client 11.0")}) {
        for (const InstalledDriver& driver : installed)
            if (driver.name.compare(name, Qt::CaseInsensitive) == 0)
                return {QLatin1Char('{') + name + QLatin1Char('}')};
    }
    return {QStringLiteral("{SQL Server}")};
}

DriverChoice namedDriver(const QString& nameOrLibrary, const QList<InstalledDriver>& installed) {
    const QString named = nameOrLibrary.trimmed();
    if (named.contains(QLatin1Char('/')) || named.contains(QLatin1Char('\\')))
        return {named, isFreeTds({QString(), named})};
    bool freeTds = isFreeTds({named, QString()});
    for (const InstalledDriver& driver : installed)
        if (driver.name.compare(named, Qt::CaseInsensitive) == 0) freeTds = freeTds || isFreeTds(driver);
    return {QLatin1Char('{') + named + QLatin1Char('}'), freeTds};
}

QString withCertificateRemedy(const QString& message, const QString& sqlState) {
    if (!sqlState.startsWith(QLatin1String("08")) ||
        !message.contains(QLatin1String("certificate"), Qt::CaseInsensitive))
        return message;
    return message + QStringLiteral(
                         "\nThe server's certificate is not trusted by this computer: the driver encrypts the "
                         "connection and checks the certificate. If the server uses a self-signed certificate "
                         "and you trust it, set TrustServerCertificate=true in the section [ODBC] of %1 "
                         "(the connection stays encrypted), or install the server's certificate on this computer.")
                         .arg(QDir::toNativeSeparators(userSettingsPath()));
}

ConnectionPlan planConnection(const ServerLogin& login, const DriverChoice& driver) {
    const QString server = login.server.trimmed();
    if (hasControlCharacter(server))
        throw Error(QStringLiteral("ODBC: the server name \"%1\" holds a control character").arg(server));
    QString host = server, port, instance;
    if (const qsizetype comma = host.indexOf(QLatin1Char(',')); comma >= 0) {
        port = host.mid(comma + 1).trimmed();
        host = host.left(comma);
    }
    if (const qsizetype slash = host.indexOf(QLatin1Char('\\')); slash >= 0) {
        instance = host.mid(slash);  // keeps the backslash
        host = host.left(slash);
    }
    host = (driver.readsLocalNames ? host.trimmed() : hostOf(host)) + instance;

    ConnectionPlan plan;
    if (!driver.freeTds) {
        QString& out = plan.connectionString = driverField(driver);
        appendField(out, QStringLiteral("Server"), port.isEmpty() ? host : host + QLatin1Char(',') + port);
        // An empty database leaves the choice to the login's default database.
        if (!login.database.isEmpty()) appendField(out, QStringLiteral("Database"), login.database);
        appendField(out, QStringLiteral("UID"), login.user);
        appendField(out, QStringLiteral("PWD"), login.password);
        if (driver.trustServerCertificate)
            appendField(out, QStringLiteral("TrustServerCertificate"), QStringLiteral("yes"));
        return plan;
    }

    // With its version given, FreeTDS takes no default port of its own and
    // refuses "invalid port number"; a named instance finds its port through
    // the server's browser service.
    if (port.isEmpty() && instance.isEmpty()) port = QStringLiteral("1433");
    // FreeTDS's automatic version falls back to TDS 5.0 after a timed-out
    // login and then hangs for minutes.
    const QString version = QStringLiteral("7.4");
    const QChar brace(u'}');
    if (host.contains(brace) || login.user.contains(brace) || login.password.contains(brace)) {
        plan.dataSourceLines << QStringLiteral("Driver = ") + dataSourceDriver(driver.driver)
                             << QStringLiteral("Server = ") + host;
        if (!port.isEmpty()) plan.dataSourceLines << QStringLiteral("Port = ") + port;
        plan.dataSourceLines << QStringLiteral("TDS_Version = ") + version;
        plan.databaseAfterLogin = login.database;
        return plan;
    }
    QString& out = plan.connectionString = driverField(driver);
    appendField(out, QStringLiteral("Server"), host);
    if (!port.isEmpty()) appendField(out, QStringLiteral("Port"), port);
    if (login.database.contains(brace))
        plan.databaseAfterLogin = login.database;
    else if (!login.database.isEmpty())
        appendField(out, QStringLiteral("Database"), login.database);
    appendField(out, QStringLiteral("UID"), login.user);
    appendField(out, QStringLiteral("PWD"), login.password);
    appendField(out, QStringLiteral("TDS_Version"), version);
    return plan;
}

QList<InstalledDriver> installedDrivers() {
    QList<InstalledDriver> drivers;
    SQLWCHAR name[256];
    SQLWCHAR attributes[4096];
    SQLUSMALLINT direction = SQL_FETCH_FIRST;
    for (;;) {
        SQLSMALLINT nameLength = 0, attributesLength = 0;
        const SQLRETURN rc =
            SQLDriversW(detail::environment(), direction, name, SQLSMALLINT(std::size(name)), &nameLength, attributes,
                        SQLSMALLINT(std::size(attributes)), &attributesLength);
        if (!SQL_SUCCEEDED(rc)) break;
        direction = SQL_FETCH_NEXT;
        InstalledDriver driver;
        driver.name = detail::fromWide(name, qMin<qsizetype>(nameLength, qsizetype(std::size(name)) - 1));
        // Attributes come as "key=value" texts, each ended by a null.
        const QString all =
            detail::fromWide(attributes, qMin<qsizetype>(attributesLength, qsizetype(std::size(attributes)) - 1));
        for (const QString& attribute : all.split(QChar(u'\0'), Qt::SkipEmptyParts))
            if (attribute.startsWith(QLatin1String("Driver="), Qt::CaseInsensitive))
                driver.library = attribute.mid(7).trimmed();
        drivers << driver;
    }
    return drivers;
}

QString findDriverLibrary(const QString& library) {
    if (library.isEmpty()) return {};
    const QFileInfo given(library);
    if (given.isAbsolute()) return given.exists() ? given.absoluteFilePath() : QString();
    // The standard library folders, with Debian's per-architecture ones and
    // the odbc folders the driver packages install into.
    QStringList folders{QStringLiteral("/usr/local/lib"), QStringLiteral("/usr/lib64"), QStringLiteral("/usr/lib")};
    const QDir usrLib(QStringLiteral("/usr/lib"));
    for (const QString& arch : usrLib.entryList({QStringLiteral("*-linux-*")}, QDir::Dirs))
        folders.prepend(usrLib.filePath(arch));
    for (const QString& folder : folders) {
        for (const QString& candidate :
             {folder + QLatin1String("/odbc/") + library, folder + QLatin1Char('/') + library})
            if (QFileInfo::exists(candidate)) return QFileInfo(candidate).absoluteFilePath();
    }
    return {};
}

const DriverChoice& installedDriver() {
    static const DriverChoice driver = [] {
        const QSettings settings(userSettingsPath(), QSettings::IniFormat);
        QString named = qEnvironmentVariable(kDriverVariable);
        if (named.trimmed().isEmpty()) named = settings.value(kDriverSetting).toString();
        const QList<InstalledDriver> installed = installedDrivers();
        DriverChoice choice =
            onThisSystem(named.trimmed().isEmpty() ? systemDriver(installed) : namedDriver(named, installed));
        choice.trustServerCertificate = settings.value(kTrustSetting, false).toBool();
        return choice;
    }();
    return driver;
}

}  // namespace tallomar::odbc
