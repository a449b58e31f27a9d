#include "platform/odbc/connection_string.h"

#include "platform/odbc/odbc.h"
#include "platform/odbc/diagnostics.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>

namespace tallomar::odbc {

namespace {

struct Field {
    QString key;
    QString value;
};

enum class Role { Driver, Server, Database, User, Password, Other };

Role roleOf(const QString& key) {
    const QString k = key.trimmed().toLower();
    if (k == u"driver" || k == u"provider") return Role::Driver;
    if (k == u"server" || k == u"data source" || k == u"address" || k == u"addr") return Role::Server;
    if (k == u"database" || k == u"initial catalog") return Role::Database;
    if (k == u"uid" || k == u"user id") return Role::User;
    if (k == u"pwd" || k == u"password") return Role::Password;
    return Role::Other;
}

// Reads "key=value;key={value};..." with ODBC's braces ("}}" is a literal
// brace). The texts are made by concatenation, so a password may itself
// hold a semicolon: a piece after a password that does not start with a
// known field name belongs to the password.
QList<Field> parseFields(const QString& text) {
    QList<Field> fields;
    bool passwordOpen = false;  // the last field is an unbraced password
    qsizetype pos = 0;
    const qsizetype n = text.size();
    while (pos < n) {
        const qsizetype end = [&] {
            const qsizetype semicolon = text.indexOf(QLatin1Char(';'), pos);
            return semicolon < 0 ? n : semicolon;
        }();
        const QString piece = text.mid(pos, end - pos);
        const qsizetype equals = piece.indexOf(QLatin1Char('='));
        const bool knownField = equals > 0 && roleOf(piece.left(equals)) != Role::Other;
        if (passwordOpen && !knownField) {
            // The text's final semicolon closes the last field.
            if (end < n || !piece.isEmpty()) fields.last().value += QLatin1Char(';') + piece;
            pos = end + 1;
            continue;
        }
        if (equals <= 0) {
            pos = end + 1;
            continue;
        }
        Field field{piece.left(equals).trimmed(), {}};
        qsizetype valueStart = pos + equals + 1;
        if (valueStart < n && text.at(valueStart) == QLatin1Char('{')) {
            qsizetype i = valueStart + 1;
            QString value;
            bool closed = false;
            while (i < n) {
                if (text.at(i) == QLatin1Char('}')) {
                    if (i + 1 < n && text.at(i + 1) == QLatin1Char('}')) {
                        value += QLatin1Char('}');
                        i += 2;
                        continue;
                    }
                    closed = true;
                    break;
                }
                value += text.at(i++);
            }
            if (closed && (i + 1 == n || text.at(i + 1) == QLatin1Char(';'))) {
                field.value = value;
                fields << field;
                passwordOpen = false;
                pos = i + 2;
                continue;
            }
        }
        field.value = text.mid(valueStart, end - valueStart);
        passwordOpen = roleOf(field.key) == Role::Password;
        fields << field;
        pos = end + 1;
    }
    return fields;
}

// A value as ODBC wants it: braced when it could be misread.
QString quoted(const QString& value) {
    const bool plain = !value.contains(QLatin1Char(';')) && !value.contains(QLatin1Char('}')) &&
                       !value.startsWith(QLatin1Char('{')) && value == value.trimmed();
    if (plain) return value;
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

void appendField(QString& out, const QString& key, const QString& value) {
    out += key + QLatin1Char('=') + quoted(value) + QLatin1Char(';');
}

bool isFreeTdsLibrary(const QString& library) {
    return QFileInfo(library).fileName().startsWith(QLatin1String("libtdsodbc"), Qt::CaseInsensitive);
}

}  // namespace

DriverChoice chooseDriver(const QList<InstalledDriver>& installed, const QString& freeTdsLibrary) {
    for (const QString& name : {QStringLiteral("SQL Server"), QStringLiteral("ODBC Driver 18 for SQL Server"),
                                QStringLiteral("ODBC Driver 17 for SQL Server")}) {
        for (const InstalledDriver& driver : installed)
            if (driver.name == name)
                return {QLatin1Char('{') + name + QLatin1Char('}'), isFreeTdsLibrary(driver.library)};
    }
    for (const InstalledDriver& driver : installed) {
        if (driver.name.compare(u"FreeTDS", Qt::CaseInsensitive) != 0 && !isFreeTdsLibrary(driver.library))
            continue;
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

QString translateConnectionText(const QString& connectionText, const DriverChoice& driver) {
    QString server, database, user, password;
    QList<Field> others;
    for (const Field& field : parseFields(connectionText)) {
        switch (roleOf(field.key)) {
        case Role::Driver: break;
        case Role::Server: server = field.value.trimmed(); break;
        case Role::Database: database = field.value; break;
        case Role::User: user = field.value; break;
        case Role::Password: password = field.value; break;
        case Role::Other: others << field; break;
        }
    }

    QString host = server, port, instance;
    if (const qsizetype comma = host.indexOf(QLatin1Char(',')); comma >= 0) {
        port = host.mid(comma + 1).trimmed();
        host = host.left(comma);
    }
    if (const qsizetype slash = host.indexOf(QLatin1Char('\\')); slash >= 0) {
        instance = host.mid(slash);  // keeps the backslash
        host = host.left(slash);
    }
    host = hostOf(host) + instance;

    QString out = QStringLiteral("Driver=") + (driver.driver.startsWith(QLatin1Char('{'))
                                                   ? driver.driver
                                                   : quoted(driver.driver)) +
                  QLatin1Char(';');
    if (driver.freeTds) {
        appendField(out, QStringLiteral("Server"), host);
        // With its version given in the connection text, FreeTDS takes no
        // default port of its own and refuses "invalid port number"; a named
        // instance finds its port through the server's browser service.
        if (port.isEmpty() && instance.isEmpty()) port = QStringLiteral("1433");
        if (!port.isEmpty()) appendField(out, QStringLiteral("Port"), port);
    } else {
        appendField(out, QStringLiteral("Server"), port.isEmpty() ? host : host + QLatin1Char(',') + port);
    }
    // An empty database leaves the choice to the login's default database.
    if (!database.isEmpty()) appendField(out, QStringLiteral("Database"), database);
    appendField(out, QStringLiteral("UID"), user);
    appendField(out, QStringLiteral("PWD"), password);
    for (const Field& field : others) appendField(out, field.key, field.value);
    // FreeTDS's automatic version falls back to TDS 5.0 after a timed-out
    // login and then hangs for minutes.
    if (driver.freeTds) appendField(out, QStringLiteral("TDS_Version"), QStringLiteral("7.4"));
    return out;
}

QList<InstalledDriver> installedDrivers() {
    QList<InstalledDriver> drivers;
    SQLWCHAR name[256];
    SQLWCHAR attributes[4096];
    SQLUSMALLINT direction = SQL_FETCH_FIRST;
    for (;;) {
        SQLSMALLINT nameLength = 0, attributesLength = 0;
        const SQLRETURN rc = SQLDriversW(detail::environment(), direction, name, SQLSMALLINT(std::size(name)),
                                         &nameLength, attributes, SQLSMALLINT(std::size(attributes)),
                                         &attributesLength);
        if (!SQL_SUCCEEDED(rc)) break;
        direction = SQL_FETCH_NEXT;
        InstalledDriver driver;
        driver.name = detail::fromWide(name, qMin<qsizetype>(nameLength, qsizetype(std::size(name)) - 1));
        // Attributes come as "key=value" texts, each ended by a null.
        const QString all = detail::fromWide(
            attributes, qMin<qsizetype>(attributesLength, qsizetype(std::size(attributes)) - 1));
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
        for (const QString& candidate : {folder + QLatin1String("/odbc/") + library, folder + QLatin1Char('/') + library})
            if (QFileInfo::exists(candidate)) return QFileInfo(candidate).absoluteFilePath();
    }
    return {};
}

QString driverConnectionString(const QString& connectionText) {
    static const DriverChoice driver =
        chooseDriver(installedDrivers(), findDriverLibrary(QStringLiteral("libtdsodbc.so")));
    return translateConnectionText(connectionText, driver);
}

}  // namespace tallomar::odbc
