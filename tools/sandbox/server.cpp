#include "sandbox/server.h"

#include "sandbox/session.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>
#include <stdexcept>

namespace tallomar::sandbox {
namespace {

[[noreturn]] void systemFailure(const std::string& what) {
    throw std::runtime_error(what + ": " + std::strerror(errno));
}

}  // namespace

Server::Server(ServerOptions options) : state_(options.dataFolder) {
    for (auto& login : options.logins) state_.addLogin(std::move(login));
    for (auto& fault : options.faults) state_.faults.arm(std::move(fault));
    state_.faults.reportTo(std::move(options.faultReports));
    state_.loginDelay = options.loginDelay;

    listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (listener_ < 0) systemFailure("cannot create the listening socket");
    const int yes = 1;
    ::setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(options.port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::listen(listener_, 64) != 0) {
        const int error = errno;
        ::close(listener_);
        errno = error;
        systemFailure("cannot listen on 127.0.0.1 port " + std::to_string(options.port));
    }
    socklen_t length = sizeof address;
    ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);

    int wake[2];
    if (::pipe2(wake, O_CLOEXEC) != 0) {
        ::close(listener_);
        systemFailure("cannot create the stop pipe");
    }
    wakeRead_ = wake[0];
    wakeWrite_ = wake[1];
    acceptor_ = std::thread([this] { acceptLoop(); });
}

Server::~Server() {
    stopping_ = true;
    const char stop = 1;
    [[maybe_unused]] const auto written = ::write(wakeWrite_, &stop, 1);
    acceptor_.join();
    {
        std::lock_guard lock(mutex_);
        for (auto& connection : connections_) connection.session->stop();
    }
    for (auto& connection : connections_) connection.thread.join();
    connections_.clear();
    ::close(listener_);
    ::close(wakeRead_);
    ::close(wakeWrite_);
}

int Server::openConnections() const {
    std::lock_guard lock(mutex_);
    int open = 0;
    for (const auto& connection : connections_) open += connection.finished->load() ? 0 : 1;
    return open;
}

void Server::acceptLoop() {
    while (!stopping_) {
        pollfd watch[2] = {{listener_, POLLIN, 0}, {wakeRead_, POLLIN, 0}};
        if (::poll(watch, 2, 1000) < 0 && errno != EINTR) return;
        reapFinished();
        if (watch[1].revents || stopping_) return;
        if (!(watch[0].revents & POLLIN)) continue;
        const int client = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
        if (client < 0) continue;
        // Small answers (one-row batches) must leave at once.
        const int yes = 1;
        ::setsockopt(client, IPPROTO_TCP, TCP_NODELAY, &yes, sizeof yes);
        std::lock_guard lock(mutex_);
        Connection connection;
        connection.session = std::make_shared<Session>(client, state_, nextSessionId_++);
        connection.finished = std::make_shared<std::atomic<bool>>(false);
        connection.thread = std::thread([session = connection.session, finished = connection.finished] {
            session->run();
            finished->store(true);
        });
        connections_.push_back(std::move(connection));
    }
}

void Server::reapFinished() {
    std::lock_guard lock(mutex_);
    for (auto it = connections_.begin(); it != connections_.end();) {
        if (it->finished->load()) {
            it->thread.join();
            it = connections_.erase(it);
        } else {
            ++it;
        }
    }
}

}  // namespace tallomar::sandbox
