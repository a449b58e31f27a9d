#pragma once

#include <cstdint>
#include <cstring>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

// One client connection's byte stream, cut into TDS packets: whole messages
// are read (packets joined), answers are written as a stream of packets of
// the negotiated size, each sent as soon as it is full, so a large result
// never sits in memory.
namespace tallomar::sandbox {

// The peer closed the connection or the socket failed.
class ConnectionClosed : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct TdsMessage {
    std::uint8_t type = 0;
    std::vector<unsigned char> payload;
};

class TdsChannel {
public:
    explicit TdsChannel(int socket);  // takes ownership
    ~TdsChannel();
    TdsChannel(const TdsChannel&) = delete;
    TdsChannel& operator=(const TdsChannel&) = delete;

    // Blocks for the next whole message; empty when the peer closed cleanly.
    std::optional<TdsMessage> readMessage();
    // Waits up to `timeoutMs` for an ATTENTION packet (0: just looks).
    // Throws ConnectionClosed when the peer went away meanwhile.
    bool attentionArrived(int timeoutMs);

    void setPacketSize(int size);
    int packetSize() const { return packetSize_; }

    // Writing the answer: bytes accumulate into packets of the negotiated
    // size; endMessage() sends the last one marked end-of-message.
    void put(const void* data, std::size_t size) {
        auto bytes = static_cast<const unsigned char*>(data);
        while (size > 0) {
            const std::size_t room = buffer_.size() - used_;
            const std::size_t chunk = size < room ? size : room;
            std::memcpy(buffer_.data() + used_, bytes, chunk);
            used_ += chunk;
            bytes += chunk;
            size -= chunk;
            if (used_ == buffer_.size()) sendPacket(false);
        }
    }
    void putByte(std::uint8_t value) {
        if (used_ == buffer_.size()) sendPacket(false);
        buffer_[used_++] = value;
    }
    void putU16(std::uint16_t value) { putLittleEndian(value, 2); }
    void putU32(std::uint32_t value) { putLittleEndian(value, 4); }
    void putU64(std::uint64_t value) { putLittleEndian(value, 8); }
    void endMessage() { sendPacket(true); }

    // Closes the socket from another thread, waking a blocked read or write.
    void shutdown();

private:
    void putLittleEndian(std::uint64_t value, int bytes) {
        unsigned char raw[8];
        for (int i = 0; i < bytes; ++i) raw[i] = static_cast<unsigned char>(value >> (8 * i));
        put(raw, static_cast<std::size_t>(bytes));
    }
    void sendPacket(bool last);
    void readExactly(unsigned char* data, std::size_t size);
    void writeAll(const unsigned char* data, std::size_t size);

    int socket_;
    int packetSize_;
    std::vector<unsigned char> buffer_;  // header + payload of the packet being filled
    std::size_t used_;
    std::uint8_t packetId_ = 1;
};

}  // namespace tallomar::sandbox
