#include "sandbox/tds_channel.h"

#include "sandbox/tds_protocol.h"

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#include <cerrno>

namespace tallomar::sandbox {

TdsChannel::TdsChannel(int socket)
    : socket_(socket),
      packetSize_(tds::DefaultPacketSize),
      buffer_(static_cast<std::size_t>(packetSize_)),
      used_(tds::PacketHeaderSize) {}

TdsChannel::~TdsChannel() {
    ::close(socket_);
}

void TdsChannel::shutdown() {
    ::shutdown(socket_, SHUT_RDWR);
}

void TdsChannel::setPacketSize(int size) {
    packetSize_ = size;
    // Only called between messages, when no answer is half written.
    buffer_.assign(static_cast<std::size_t>(size), 0);
    used_ = tds::PacketHeaderSize;
}

void TdsChannel::readExactly(unsigned char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t got = ::recv(socket_, data, size, 0);
        if (got == 0) throw ConnectionClosed("the client closed the connection");
        if (got < 0) {
            if (errno == EINTR) continue;
            throw ConnectionClosed("reading from the client failed");
        }
        data += got;
        size -= static_cast<std::size_t>(got);
    }
}

void TdsChannel::writeAll(const unsigned char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t sent = ::send(socket_, data, size, MSG_NOSIGNAL);
        if (sent < 0) {
            if (errno == EINTR) continue;
            throw ConnectionClosed("writing to the client failed");
        }
        data += sent;
        size -= static_cast<std::size_t>(sent);
    }
}

std::optional<TdsMessage> TdsChannel::readMessage() {
    TdsMessage message;
    for (bool first = true;; first = false) {
        unsigned char header[tds::PacketHeaderSize];
        if (first) {
            // A clean close between messages is the normal end of a session.
            const ssize_t got = ::recv(socket_, header, 1, 0);
            if (got <= 0) return std::nullopt;
            readExactly(header + 1, sizeof header - 1);
        } else {
            readExactly(header, sizeof header);
        }
        const std::size_t length = (std::size_t{header[2]} << 8) | header[3];
        if (length < tds::PacketHeaderSize) throw ConnectionClosed("the client sent a malformed packet");
        message.type = header[0];
        const std::size_t old = message.payload.size();
        message.payload.resize(old + length - tds::PacketHeaderSize);
        readExactly(message.payload.data() + old, length - tds::PacketHeaderSize);
        if (header[1] & tds::StatusEndOfMessage) return message;
    }
}

bool TdsChannel::attentionArrived(int timeoutMs) {
    pollfd watch{socket_, POLLIN, 0};
    const int ready = ::poll(&watch, 1, timeoutMs);
    if (ready <= 0) return false;
    unsigned char header[tds::PacketHeaderSize];
    readExactly(header, sizeof header);
    const std::size_t length = (std::size_t{header[2]} << 8) | header[3];
    if (length < tds::PacketHeaderSize) throw ConnectionClosed("the client sent a malformed packet");
    std::vector<unsigned char> rest(length - tds::PacketHeaderSize);
    readExactly(rest.data(), rest.size());
    // While a batch runs a client sends nothing but ATTENTION; anything else
    // is dropped.
    return header[0] == tds::Attention;
}

void TdsChannel::sendPacket(bool last) {
    buffer_[0] = tds::TabularResult;
    buffer_[1] = last ? tds::StatusEndOfMessage : 0;
    buffer_[2] = static_cast<unsigned char>(used_ >> 8);
    buffer_[3] = static_cast<unsigned char>(used_ & 0xFF);
    buffer_[4] = 0;
    buffer_[5] = 0;
    buffer_[6] = packetId_++;
    buffer_[7] = 0;
    writeAll(buffer_.data(), used_);
    used_ = tds::PacketHeaderSize;
}

}  // namespace tallomar::sandbox
