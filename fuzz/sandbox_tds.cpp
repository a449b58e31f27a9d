// What a client sends the sandbox server, as the bytes arrive on its
// socket: TDS packets joined into messages, PRELOGIN answered, LOGIN7 taken
// apart, SQL batches decoded and translated. A session ends on a malformed
// message with a std::exception (as SQL Server drops such a client); every
// other outcome is a fault of the server.
#include "sandbox/login7.h"
#include "sandbox/sql_batch.h"
#include "sandbox/tds_channel.h"
#include "sandbox/tds_protocol.h"
#include "sandbox/tsql_translator.h"

#include <sys/socket.h>
#include <unistd.h>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

namespace sandbox = tallomar::sandbox;

// Serves the messages of one connection the way a session does, without a
// database behind it.
void serve(sandbox::TdsChannel& channel) {
    sandbox::TranslationContext context;
    context.databaseExists = [](std::string_view name) { return name == "master" || name == "tempdb"; };
    while (auto message = channel.readMessage()) {
        switch (message->type) {
            case sandbox::tds::PreLogin:
                sandbox::writePreLoginAnswer(channel);
                break;
            case sandbox::tds::Login7:
                sandbox::parseLogin7(message->payload);
                break;
            case sandbox::tds::SqlBatch:
                try {
                    sandbox::translateBatch(sandbox::sqlBatchText(message->payload), context);
                } catch (const sandbox::TsqlError&) {
                }
                channel.attentionArrived(0);
                break;
            default:
                return;
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    int sockets[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, sockets) != 0) {
        std::perror("socketpair");
        std::abort();
    }
    // The client's bytes wait in the socket; answers fit in its buffer.
    for (std::size_t sent = 0; sent < size;) {
        const ssize_t written = ::send(sockets[1], data + sent, size - sent, 0);
        if (written <= 0) {
            std::perror("send");
            std::abort();
        }
        sent += static_cast<std::size_t>(written);
    }
    ::shutdown(sockets[1], SHUT_WR);
    {
        sandbox::TdsChannel channel(sockets[0]);
        try {
            serve(channel);
        } catch (const std::exception&) {
        }
    }
    ::close(sockets[1]);
    return 0;
}
