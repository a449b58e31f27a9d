#include "private_secret_service.h"

#include <gtest/gtest.h>
#include <QCoreApplication>
#include <QProcess>
#include <QTemporaryDir>

namespace tallomar::test {

namespace {

constexpr char kWithoutSecretService[] = "TALLOMAR_TEST_WITHOUT_SECRET_SERVICE";

}  // namespace

void isolateSecretService() {
    static const bool isolated = [] {
        if (qEnvironmentVariableIsSet(kWithoutSecretService)) {
            // A folder of this process's own holds no bus socket.
            static const QTemporaryDir empty;
            qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=" + empty.filePath(QStringLiteral("no-bus")).toUtf8());
            return true;
        }
        // Never deleted: its end would stop the service while the program
        // still runs. The script stops it when the program's end closes
        // the script's standard input.
        auto* service = new QProcess;
        service->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        service->start(QStringLiteral("/bin/sh"), {QStringLiteral(TALLOMAR_PRIVATE_SECRET_SERVICE)});
        service->waitForStarted();
        while (!service->canReadLine() && service->waitForReadyRead(30000)) {
        }
        const QByteArray address = service->readLine().trimmed();
        if (address.isEmpty()) throw std::runtime_error("the private Secret Service did not start");
        qputenv("DBUS_SESSION_BUS_ADDRESS", address);
        return true;
    }();
    Q_UNUSED(isolated);
}

bool inProcessWithoutSecretService() {
    if (qEnvironmentVariableIsSet(kWithoutSecretService)) return true;
    const ::testing::TestInfo& test = *::testing::UnitTest::GetInstance()->current_test_info();
    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QString::fromLatin1(kWithoutSecretService), QStringLiteral("1"));
    child.setProcessEnvironment(environment);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--gtest_filter=%1.%2")
                     .arg(QLatin1String(test.test_suite_name()), QLatin1String(test.name()))});
    const bool ended = child.waitForFinished(120000);
    const QString output = QString::fromUtf8(child.readAll());
    EXPECT_TRUE(ended) << "the test without a Secret Service did not end";
    EXPECT_EQ(child.exitStatus(), QProcess::NormalExit) << output.toStdString();
    EXPECT_EQ(child.exitCode(), 0) << output.toStdString();
    EXPECT_TRUE(output.contains(QStringLiteral("[  PASSED  ] 1 test"))) << output.toStdString();
    return false;
}

namespace {

// The attributes by which Tallomar's entries are found: the program's name
// as "server", the login as "user".
QStringList entryAttributes(const QString& server, const QString& user) {
    return {QStringLiteral("server"), QStringLiteral("Tallomar"), QStringLiteral("user"),
            user + QLatin1Char('@') + server};
}

}  // namespace

std::optional<QString> secretServicePassword(const QString& server, const QString& user) {
    QProcess lookup;
    lookup.start(QStringLiteral("secret-tool"), QStringList{QStringLiteral("lookup")} + entryAttributes(server, user));
    EXPECT_TRUE(lookup.waitForFinished(30000));
    // secret-tool ends with status 1 and says nothing when nothing matches;
    // anything it says is a failure to look.
    if (lookup.exitCode() != 0) {
        EXPECT_EQ(lookup.readAllStandardError().toStdString(), "");
        return std::nullopt;
    }
    return QString::fromUtf8(lookup.readAllStandardOutput());
}

void storeInSecretService(const QString& server, const QString& user, const QString& password) {
    QProcess store;
    store.start(QStringLiteral("secret-tool"), QStringList{QStringLiteral("store"), QStringLiteral("--label=test")} +
                                                   entryAttributes(server, user) +
                                                   QStringList{QStringLiteral("type"), QStringLiteral("plaintext")});
    store.write(password.toUtf8());
    store.closeWriteChannel();
    EXPECT_TRUE(store.waitForFinished(30000));
    EXPECT_EQ(store.exitCode(), 0) << store.readAllStandardError().toStdString();
}

}  // namespace tallomar::test
