#pragma once

#include "sandbox/server.h"

#include <QString>
#include <chrono>

// The sandbox SQL Server for tests: one server on a free loopback port with
// the test login, running as long as the object lives.
//
//     tallomar::test::SandboxServer sandbox;               // demo databases
//     sandbox.server().seedDatabase("shop", "CREATE TABLE t(a INT);");
//     auto text = sandbox.odbcConnectionString("QVSystem"); // for SQLDriverConnect
//     QString name = sandbox.serverName();                  // "127.0.0.1,<port>"
//     sandbox.server().armFault(tallomar::sandbox::Fault::delayBatch(1, 5s));
//
// The login is user "sa" with password "Sandbox#1". With demo data the
// server holds master (sub_list), QVSystem (UA_Account, UA_Account_sub) and
// the qvdata_<id>_<year> account-set databases of tools/sandbox/data;
// without it only master and tempdb, both empty.
namespace tallomar::test {

class SandboxServer {
public:
    static constexpr const char* User = "sa";
    static constexpr const char* Password = "Sandbox#1";

    enum class Data { Demo, Empty };
    // `loginDelay`: each login is answered only after this long, as by a
    // server still starting up.
    explicit SandboxServer(Data data = Data::Demo, std::chrono::milliseconds loginDelay = {});

    sandbox::Server& server() { return server_; }
    std::uint16_t port() const { return server_.port(); }
    // The server as the login window's server box takes it: "127.0.0.1,port".
    QString serverName() const;
    // A DSN-less connection string for the FreeTDS ODBC driver, logging in
    // as the test login into `database`.
    QString odbcConnectionString(const QString& database = QStringLiteral("master")) const;

private:
    sandbox::Server server_;
};

// The FreeTDS ODBC driver library found in the usual library folders;
// throws std::runtime_error when none is installed.
QString freeTdsDriverPath();

}  // namespace tallomar::test
