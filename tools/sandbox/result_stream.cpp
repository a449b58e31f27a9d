#include "sandbox/result_stream.h"

#include "sandbox/tds_protocol.h"
#include "sandbox/tsql_lexer.h"
#include "sandbox/utf16.h"

#include <sqlite3.h>
#include <bit>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>
#include <vector>

namespace tallomar::sandbox {
namespace {

static_assert(std::endian::native == std::endian::little,
              "SQLite's native UTF-16 is copied as TDS's little-endian text");

enum class ColumnType { Unknown, Int, BigInt, Float, Bit, NVarChar, NVarCharMax };

constexpr std::uint16_t NVarCharBytes = 8000;
constexpr int LookaheadRows = 100;

ColumnType typeFromDeclaration(const char* declared) {
    if (!declared) return ColumnType::Unknown;
    const std::string type = upperAscii(declared);
    if (type.find("MAX") != std::string::npos || type.find("NTEXT") != std::string::npos)
        return ColumnType::NVarCharMax;
    if (type.find("BIGINT") != std::string::npos) return ColumnType::BigInt;
    if (type.find("INT") != std::string::npos) return ColumnType::Int;
    if (type == "BIT") return ColumnType::Bit;
    for (const char* real : {"FLOAT", "REAL", "DOUBLE", "DECIMAL", "NUMERIC", "MONEY"})
        if (type.find(real) != std::string::npos) return ColumnType::Float;
    for (const char* text : {"CHAR", "TEXT", "CLOB", "DATE", "TIME"})
        if (type.find(text) != std::string::npos) return ColumnType::NVarChar;
    return ColumnType::Unknown;
}

ColumnType typeFromValue(sqlite3_value* value) {
    switch (sqlite3_value_type(value)) {
        case SQLITE_INTEGER: {
            const auto number = sqlite3_value_int64(value);
            return number < std::numeric_limits<std::int32_t>::min() ||
                           number > std::numeric_limits<std::int32_t>::max()
                       ? ColumnType::BigInt
                       : ColumnType::Int;
        }
        case SQLITE_FLOAT:
            return ColumnType::Float;
        default:
            return ColumnType::NVarChar;
    }
}

// SQL Server names a column computed without an alias with an empty name.
std::string columnName(sqlite3_stmt* statement, int column) {
    const char* name = sqlite3_column_name(statement, column);
    if (sqlite3_column_table_name(statement, column)) return name;
    const std::string text = name ? name : "";
    const bool plain = !text.empty() && !std::isdigit(static_cast<unsigned char>(text[0])) &&
                       text.find_first_of(" '\"()+-*/%,.=<>|[]") == std::string::npos;
    return plain ? text : "";
}

std::string valueText(sqlite3_value* value) {
    const auto* text = sqlite3_value_text(value);
    return text ? reinterpret_cast<const char*>(text) : "";
}

[[noreturn]] void conversionFailed(sqlite3_value* value, const char* type) {
    throw ValueError(
        {245, 16, 1,
         "Conversion failed when converting the nvarchar value '" + valueText(value) + "' to data type " + type + ".",
         1});
}

std::int64_t integerOf(sqlite3_value* value, const char* type) {
    switch (sqlite3_value_type(value)) {
        case SQLITE_INTEGER:
            return sqlite3_value_int64(value);
        case SQLITE_FLOAT:
            return static_cast<std::int64_t>(std::trunc(sqlite3_value_double(value)));
        default: {
            const std::string text = valueText(value);
            char* end = nullptr;
            const long long number = std::strtoll(text.c_str(), &end, 10);
            while (end && *end == ' ') ++end;
            if (text.empty() || *end != '\0') conversionFailed(value, type);
            return number;
        }
    }
}

double realOf(sqlite3_value* value) {
    const int type = sqlite3_value_type(value);
    if (type == SQLITE_INTEGER || type == SQLITE_FLOAT) return sqlite3_value_double(value);
    const std::string text = valueText(value);
    char* end = nullptr;
    const double number = std::strtod(text.c_str(), &end);
    if (text.empty() || *end != '\0')
        throw ValueError({8114, 16, 5, "Error converting data type nvarchar to float.", 1});
    return number;
}

class Encoder {
public:
    Encoder(TdsChannel& out, std::vector<ColumnType> types) : out_(out), types_(std::move(types)) {}

    void writeMetadata(sqlite3_stmt* statement) {
        out_.putByte(tds::ColMetadata);
        out_.putU16(static_cast<std::uint16_t>(types_.size()));
        for (std::size_t column = 0; column < types_.size(); ++column) {
            out_.putU32(0);       // user type
            out_.putU16(0x0001);  // nullable
            switch (types_[column]) {
                case ColumnType::Int:
                    out_.putByte(tds::IntN);
                    out_.putByte(4);
                    break;
                case ColumnType::BigInt:
                    out_.putByte(tds::IntN);
                    out_.putByte(8);
                    break;
                case ColumnType::Float:
                    out_.putByte(tds::FloatN);
                    out_.putByte(8);
                    break;
                case ColumnType::Bit:
                    out_.putByte(tds::BitN);
                    out_.putByte(1);
                    break;
                default:
                    out_.putByte(tds::NVarChar);
                    out_.putU16(types_[column] == ColumnType::NVarCharMax ? 0xFFFF : NVarCharBytes);
                    out_.put(tds::ServerCollation, sizeof tds::ServerCollation);
            }
            writeByteCountedText(out_, utf8ToUtf16(columnName(statement, static_cast<int>(column))));
        }
    }

    template <typename ValueAt>
    void writeRow(ValueAt valueAt) {
        out_.putByte(tds::Row);
        for (std::size_t column = 0; column < types_.size(); ++column)
            writeValue(types_[column], valueAt(static_cast<int>(column)));
    }

private:
    void writeValue(ColumnType type, sqlite3_value* value) {
        const bool null = sqlite3_value_type(value) == SQLITE_NULL;
        switch (type) {
            case ColumnType::Int: {
                if (null) return out_.putByte(0);
                const auto number = integerOf(value, "int");
                if (number < std::numeric_limits<std::int32_t>::min() ||
                    number > std::numeric_limits<std::int32_t>::max())
                    throw ValueError(
                        {8115, 16, 2, "Arithmetic overflow error converting expression to data type int.", 1});
                out_.putByte(4);
                out_.putU32(static_cast<std::uint32_t>(static_cast<std::int32_t>(number)));
                return;
            }
            case ColumnType::BigInt:
                if (null) return out_.putByte(0);
                out_.putByte(8);
                out_.putU64(static_cast<std::uint64_t>(integerOf(value, "bigint")));
                return;
            case ColumnType::Float: {
                if (null) return out_.putByte(0);
                out_.putByte(8);
                out_.putU64(std::bit_cast<std::uint64_t>(realOf(value)));
                return;
            }
            case ColumnType::Bit:
                if (null) return out_.putByte(0);
                out_.putByte(1);
                out_.putByte(integerOf(value, "bit") != 0 ? 1 : 0);
                return;
            case ColumnType::NVarCharMax:
                return writeLongText(value, null);
            default: {
                if (null) return out_.putU16(0xFFFF);
                const void* text = sqlite3_value_text16(value);
                const int bytes = sqlite3_value_bytes16(value);
                if (bytes > NVarCharBytes)
                    throw ValueError({8152, 16, 10,
                                      "String or binary data would be truncated (a text longer than 4000 characters "
                                      "in a column not declared NVARCHAR(MAX)).",
                                      1});
                out_.putU16(static_cast<std::uint16_t>(bytes));
                out_.put(text, static_cast<std::size_t>(bytes));
            }
        }
    }

    // NVARCHAR(MAX) travels as partially length-prefixed data: total length,
    // chunks, and a zero-length chunk at the end.
    void writeLongText(sqlite3_value* value, bool null) {
        if (null) return out_.putU64(~std::uint64_t{0});
        const auto* text = static_cast<const unsigned char*>(sqlite3_value_text16(value));
        const auto bytes = static_cast<std::size_t>(sqlite3_value_bytes16(value));
        out_.putU64(bytes);
        if (bytes > 0) {
            out_.putU32(static_cast<std::uint32_t>(bytes));
            out_.put(text, bytes);
        }
        out_.putU32(0);
    }

    TdsChannel& out_;
    std::vector<ColumnType> types_;
};

struct BufferedRows {
    std::vector<std::vector<sqlite3_value*>> rows;
    ~BufferedRows() {
        for (auto& row : rows)
            for (auto* value : row) sqlite3_value_free(value);
    }
};

}  // namespace

std::uint64_t streamResult(sqlite3_stmt* statement, TdsChannel& out, const std::function<int()>& step,
                           const std::function<bool()>& cancelled) {
    const int columns = sqlite3_column_count(statement);
    std::vector<ColumnType> types(static_cast<std::size_t>(columns));
    for (int column = 0; column < columns; ++column)
        types[static_cast<std::size_t>(column)] = typeFromDeclaration(sqlite3_column_decltype(statement, column));

    // Columns without a usable declared type take the type of their first
    // non-NULL value; rows read while looking are kept and sent first.
    BufferedRows buffered;
    int code = step();
    const auto unknownLeft = [&] {
        for (auto type : types)
            if (type == ColumnType::Unknown) return true;
        return false;
    };
    while (code == SQLITE_ROW && unknownLeft() && static_cast<int>(buffered.rows.size()) < LookaheadRows) {
        std::vector<sqlite3_value*> row;
        for (int column = 0; column < columns; ++column) {
            auto* value = sqlite3_column_value(statement, column);
            auto& type = types[static_cast<std::size_t>(column)];
            if (type == ColumnType::Unknown && sqlite3_value_type(value) != SQLITE_NULL) type = typeFromValue(value);
            row.push_back(sqlite3_value_dup(value));
        }
        buffered.rows.push_back(std::move(row));
        code = step();
    }
    for (auto& type : types)
        if (type == ColumnType::Unknown) type = ColumnType::NVarChar;

    Encoder encoder(out, types);
    encoder.writeMetadata(statement);
    std::uint64_t sent = 0;
    for (const auto& row : buffered.rows) {
        encoder.writeRow([&row](int column) { return row[static_cast<std::size_t>(column)]; });
        ++sent;
    }
    while (code == SQLITE_ROW) {
        encoder.writeRow([statement](int column) { return sqlite3_column_value(statement, column); });
        if (++sent % 512 == 0 && cancelled()) throw Cancelled();
        code = step();
    }
    return sent;
}

}  // namespace tallomar::sandbox
