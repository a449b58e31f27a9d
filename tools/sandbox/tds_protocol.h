#pragma once

#include <cstdint>

// Numbers of the Tabular Data Stream protocol, version 7.4, as far as the
// sandbox server speaks it.
namespace tallomar::sandbox::tds {

enum PacketType : std::uint8_t {
    SqlBatch = 0x01,
    Rpc = 0x03,
    TabularResult = 0x04,
    Attention = 0x06,
    Login7 = 0x10,
    PreLogin = 0x12,
};

constexpr std::uint8_t StatusEndOfMessage = 0x01;
constexpr int PacketHeaderSize = 8;
constexpr int DefaultPacketSize = 4096;
constexpr int MinPacketSize = 512;
constexpr int MaxPacketSize = 32767;

enum Token : std::uint8_t {
    ColMetadata = 0x81,
    Error = 0xAA,
    Info = 0xAB,
    LoginAck = 0xAD,
    Row = 0xD1,
    EnvChange = 0xE3,
    Done = 0xFD,
};

enum DoneStatus : std::uint16_t {
    DoneFinal = 0x0000,
    DoneMore = 0x0001,
    DoneError = 0x0002,
    DoneCount = 0x0010,
    DoneAttention = 0x0020,
};

// The statement kind a DONE token reports (its CurCmd field).
enum DoneCommand : std::uint16_t {
    CommandNone = 0x00,
    CommandSelect = 0xC1,
    CommandInsert = 0xC3,
    CommandDelete = 0xC4,
    CommandUpdate = 0xC5,
};

enum EnvChangeType : std::uint8_t {
    EnvDatabase = 1,
    EnvPacketSize = 4,
    EnvCollation = 7,
};

enum DataType : std::uint8_t {
    IntN = 0x26,
    BitN = 0x68,
    FloatN = 0x6D,
    NVarChar = 0xE7,
};

// The answer of a TDS 7.4 server in LOGINACK (sent big-endian there).
constexpr std::uint32_t Version74 = 0x74000004;

enum PreLoginOption : std::uint8_t {
    PreLoginVersion = 0x00,
    PreLoginEncryption = 0x01,
    PreLoginInstance = 0x02,
    PreLoginThreadId = 0x03,
    PreLoginMars = 0x04,
    PreLoginTerminator = 0xFF,
};
constexpr std::uint8_t EncryptionNotSupported = 0x02;

// Chinese_PRC_CI_AS: locale 0x0804, case-, kana- and width-insensitive.
constexpr std::uint8_t ServerCollation[5] = {0x04, 0x08, 0xD0, 0x00, 0x00};

}  // namespace tallomar::sandbox::tds
