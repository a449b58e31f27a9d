#include "platform/odbc/private_data_source.h"

#include "platform/odbc/odbc.h"

#include <QCoreApplication>
#include <QFile>
#include <atomic>

namespace tallomar::odbc {

namespace {

constexpr const char* kOdbcIni = "ODBCINI";

QString uniqueName() {
    static std::atomic<int> counter{0};
    return QStringLiteral("tallomar-%1-%2").arg(QCoreApplication::applicationPid()).arg(++counter);
}

}  // namespace

PrivateDataSource::PrivateDataSource(const QStringList& lines) : name_(uniqueName()) {
    // QTemporaryDir makes its folder readable by this user only.
    if (!folder_.isValid())
        throw Error(
            QStringLiteral("ODBC: cannot make a private folder for the data source: %1").arg(folder_.errorString()));
    const QString path = folder_.filePath(QStringLiteral("odbc.ini"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly, QFileDevice::ReadOwner | QFileDevice::WriteOwner))
        throw Error(QStringLiteral("ODBC: cannot write %1: %2").arg(path, file.errorString()));
    const QByteArray text =
        (QLatin1Char('[') + name_ + QStringLiteral("]\n") + lines.join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8();
    if (file.write(text) != text.size() || !file.flush())
        throw Error(QStringLiteral("ODBC: cannot write %1: %2").arg(path, file.errorString()));
    file.close();
    hadOdbcIni_ = qEnvironmentVariableIsSet(kOdbcIni);
    formerOdbcIni_ = qgetenv(kOdbcIni);
    qputenv(kOdbcIni, QFile::encodeName(path));
}

PrivateDataSource::~PrivateDataSource() {
    if (hadOdbcIni_)
        qputenv(kOdbcIni, formerOdbcIni_);
    else
        qunsetenv(kOdbcIni);
}

}  // namespace tallomar::odbc
