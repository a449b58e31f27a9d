#include "platform/access/table_transfer.h"

#include "platform/error.h"

#include <cstring>

namespace tallomar::mdb {

namespace {

enum Tag : char {
    kTable = 'T',
    kColumn = 'C',
    kRow = 'R',
    kNull = 'n',
    kInteger = 'i',
    kDouble = 'd',
    kText = 't',
    kBytes = 'b'
};

class Decoder {
public:
    explicit Decoder(const QByteArray& bytes) : data_(bytes.constData()), left_(bytes.size()) {}

    bool atEnd() const { return left_ == 0; }
    char tag() { return get<char>(); }

    template <typename T>
    T get() {
        T value;
        std::memcpy(&value, take(sizeof value), sizeof value);
        return value;
    }
    QByteArray block() {
        const auto length = get<quint32>();
        return QByteArray(take(length), length);
    }
    QString text() {
        const auto length = get<quint32>();
        return QString::fromUtf8(take(length), length);
    }

private:
    const char* take(qsizetype length) {
        if (length > left_) throw Error(QStringLiteral("the reader process handed back incomplete tables"));
        const char* at = data_;
        data_ += length;
        left_ -= length;
        return at;
    }
    const char* data_;
    qsizetype left_;
};

QVariant decodeValue(Decoder& in) {
    switch (in.tag()) {
        case kNull:
            return QVariant();
        case kInteger:
            return QVariant(in.get<qint64>());
        case kDouble:
            return QVariant(in.get<double>());
        case kText:
            return QVariant(in.text());
        case kBytes:
            return QVariant(in.block());
        default:
            throw Error(QStringLiteral("the reader process handed back an unknown value"));
    }
}

}  // namespace

TableEncoder::TableEncoder(Sink sink) : sink_(std::move(sink)) {
    if (sink_) bytes_.reserve(2 * kPieceBytes);
}

void TableEncoder::endRow() {
    if (sink_ && bytes_.size() >= kPieceBytes) handOn();
}

void TableEncoder::finish() {
    if (sink_ && !bytes_.isEmpty()) handOn();
}

void TableEncoder::handOn() {
    sink_(bytes_);
    bytes_.resize(0);  // keeps the room for the next piece
}

template <typename T>
void TableEncoder::put(T value) {
    bytes_.append(reinterpret_cast<const char*>(&value), sizeof value);
}

void TableEncoder::putBlock(const char* data, qsizetype length) {
    put(static_cast<quint32>(length));
    bytes_.append(data, length);
}

void TableEncoder::beginTable(const QByteArray& name, quint32 definitionPage) {
    put(kTable);
    putBlock(name.constData(), name.size());
    put(definitionPage);
}

void TableEncoder::addColumn(const QByteArray& name, ColumnKind kind) {
    put(kColumn);
    putBlock(name.constData(), name.size());
    put(static_cast<quint8>(kind));
}

void TableEncoder::beginRow(RowLocation location) {
    put(kRow);
    put(location.page);
    put(location.row);
}

void TableEncoder::addNull() {
    put(kNull);
}

void TableEncoder::addInteger(qint64 value) {
    put(kInteger);
    put(value);
}

void TableEncoder::addDouble(double value) {
    put(kDouble);
    put(value);
}

void TableEncoder::addText(const char* utf8, int length) {
    put(kText);
    putBlock(utf8, length);
}

void TableEncoder::addBytes(const char* data, qsizetype length) {
    put(kBytes);
    putBlock(data, length);
}

std::vector<Table> decodeTables(const QByteArray& bytes) {
    Decoder in(bytes);
    std::vector<Table> tables;
    while (!in.atEnd()) {
        const char tag = in.tag();
        if (tag == kTable) {
            Table& table = tables.emplace_back();
            table.name = in.text();
            table.definitionPage = in.get<quint32>();
        } else if (tag == kColumn && !tables.empty() && tables.back().rows.empty()) {
            Column column;
            column.name = in.text();
            column.kind = static_cast<ColumnKind>(in.get<quint8>());
            tables.back().columns.push_back(std::move(column));
        } else if (tag == kRow && !tables.empty()) {
            Table& table = tables.back();
            RowLocation location;
            location.page = in.get<quint32>();
            location.row = in.get<quint16>();
            std::vector<QVariant> row;
            row.reserve(table.columns.size());
            for (size_t i = 0; i < table.columns.size(); ++i) row.push_back(decodeValue(in));
            table.rows.push_back(std::move(row));
            table.locations.push_back(location);
        } else {
            throw Error(QStringLiteral("the reader process handed back tables out of order"));
        }
    }
    return tables;
}

}  // namespace tallomar::mdb
