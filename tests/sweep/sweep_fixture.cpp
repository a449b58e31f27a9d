#include "sweep_fixture.h"

#include "jet4writer/description.h"
#include "jet4writer/jet4_writer.h"

#include <QDir>
#include <QFile>

namespace tallomar::test {

namespace {

QByteArray readFile(const QString& path) {
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
    return file.readAll();
}

}  // namespace

void SweepFixture::SetUp() {
    ASSERT_TRUE(package.isValid());
    ASSERT_TRUE(dataHome.isValid());
    qputenv("XDG_DATA_HOME", dataHome.path().toUtf8());
    const QDir demo(QStringLiteral(TALLOMAR_DEMO_SOURCE));
    jet4::writeDatabase(
        jet4::parseDescription(readFile(demo.filePath(QStringLiteral("ZOL.json"))), QStringLiteral("ZOL.json")),
        package.filePath(QStringLiteral("ZOL.mdb")));
    for (const QString& script : QDir(demo.filePath(QStringLiteral("scripts"))).entryList({QStringLiteral("*.sql")}))
        ASSERT_TRUE(QFile::copy(demo.filePath(QStringLiteral("scripts/") + script), package.filePath(script)));
}

void SweepFixture::TearDown() {
    qunsetenv("XDG_DATA_HOME");
}

void SweepFixture::slowChecksDown(const QString& delay) {
    QFile script(package.filePath(QStringLiteral("check_prepare.sql")));
    ASSERT_TRUE(script.open(QIODevice::ReadOnly));
    QByteArray text = script.readAll();
    script.close();
    const QByteArray bom("\xEF\xBB\xBF");
    ASSERT_TRUE(text.startsWith(bom));
    text.insert(bom.size(), QStringLiteral("WAITFOR DELAY '%1'\r\nGO\r\n").arg(delay).toUtf8());
    ASSERT_TRUE(script.open(QIODevice::WriteOnly | QIODevice::Truncate));
    script.write(text);
}

Session SweepFixture::login() const {
    Session login;
    login.gToolFolder = package.path();
    login.gToolDbPath = package.filePath(QStringLiteral("ZOL.mdb"));
    login.cnTool = tooldb::ToolDatabase::open(login.gToolDbPath);
    login.gServerName = sandbox.serverName();
    login.gUserName = QString::fromLatin1(SandboxServer::User);
    login.gPassWord = QString::fromLatin1(SandboxServer::Password);
    login.gSoft = kEdition;
    return login;
}

}  // namespace tallomar::test
