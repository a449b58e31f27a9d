#pragma once

#include "sandbox/faults.h"
#include "sandbox/server_state.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// A stand-in for SQL Server on the loopback interface: speaks TDS 7.4 to
// ordinary clients (FreeTDS, its ODBC driver) and keeps its databases in
// SQLite. Tests start one in-process:
//
//     tallomar::sandbox::Server server({.logins = {{"sa", "Sandbox#1"}}});
//     ... connect to 127.0.0.1, port server.port() ...
//
// The constructor listens and serves on threads of its own; the destructor
// closes every connection and joins them.
namespace tallomar::sandbox {

struct ServerOptions {
    std::uint16_t port = 0;  // 0: any free port, see port()
    std::vector<Login> logins;
    // Each NAME.sql file here seeds database NAME (SQLite dialect).
    std::filesystem::path dataFolder;
    std::vector<Fault> faults;
    // Told of each fault as it fires (FaultPlan::reportTo).
    std::function<void(const std::string& line)> faultReports;
    // Each LOGIN7 is answered only after this long, as by a server still
    // starting up; other connections go on meanwhile.
    std::chrono::milliseconds loginDelay{0};
};

class Session;

class Server {
public:
    // Throws std::runtime_error when the port cannot be had or a seed file
    // fails.
    explicit Server(ServerOptions options);
    ~Server();
    Server(const Server&) = delete;
    Server& operator=(const Server&) = delete;

    std::uint16_t port() const { return port_; }

    void addLogin(Login login) { state_.addLogin(std::move(login)); }
    // Creates the database when missing and runs SQLite statements in it;
    // throws std::runtime_error when they fail.
    void seedDatabase(const std::string& name, const std::string& sqliteStatements) {
        state_.databases.seed(name, sqliteStatements);
    }

    void armFault(Fault fault) { state_.faults.arm(std::move(fault)); }
    void clearFaults() { state_.faults.clear(); }

    // The text of every SQL batch received since start (or the last clear),
    // in arrival order.
    std::vector<std::string> receivedBatches() const { return state_.batches(); }
    void clearReceivedBatches() { state_.clearBatches(); }

    int openConnections() const;

private:
    struct Connection {
        std::shared_ptr<Session> session;
        std::thread thread;
        std::shared_ptr<std::atomic<bool>> finished;
    };
    void acceptLoop();
    void reapFinished();

    ServerState state_;
    int listener_ = -1;
    int wakeRead_ = -1;
    int wakeWrite_ = -1;
    std::uint16_t port_ = 0;
    std::atomic<bool> stopping_{false};
    mutable std::mutex mutex_;
    std::list<Connection> connections_;
    std::uint64_t nextSessionId_ = 1;
    std::thread acceptor_;
};

}  // namespace tallomar::sandbox
