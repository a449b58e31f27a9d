#include "jet4writer/jet3_writer.h"

#include "platform/access/jet4_format.h"
#include "platform/access/mdb_file_header.h"
#include "platform/error.h"
#include "platform/text/codepage.h"

#include <cstring>

namespace tallomar::jet3 {

namespace {

using jet4::append16;
using jet4::append32;
using jet4::put16;
using jet4::put32;
using mdb::ColumnKind;

constexpr int kPageSize = 2048;
constexpr int kRowCountOffset = 8;
constexpr int kRowOffsetsStart = 10;
constexpr int kLargestRow = kPageSize - kRowOffsetsStart - 2;
constexpr int kChainPiece = kLargestRow - 4;  // each chain row starts with the pointer to the next
constexpr int kLargestRowWithoutJumps = 255;  // one-byte offsets

constexpr quint16 kCodePage = 936;
constexpr quint16 kGeneralSortOrder = 0x0409;
constexpr quint32 kMapPage = 1;
constexpr quint32 kCataloguePage = 2;
constexpr qint64 kSystemTableFlags = 0x80000002;

// Table definition block and column entries.
constexpr int kTdefLengthOffset = 8;
constexpr int kTdefRowCountOffset = 12;
constexpr int kTdefTableTypeOffset = 20;
constexpr int kTdefMaxColumnsOffset = 21;
constexpr int kTdefVarColumnsOffset = 23;
constexpr int kTdefColumnsOffset = 25;
constexpr int kTdefUsedPagesOffset = 35;
constexpr int kTdefFreePagesOffset = 39;
constexpr int kTdefBlockEnd = 43;
constexpr int kColumnEntrySize = 18;

QByteArray gbk(const QString& text) {
    const auto bytes = codepage::encodeGbk(text);
    if (!bytes) throw Error(QStringLiteral("\"%1\": a character has no code in code page 936").arg(text));
    return *bytes;
}

struct Slot {
    unsigned char type = 0;
    int fixedSize = 0;
    bool fixed = false;
    quint16 number = 0;
    quint16 varIndex = 0;
    quint16 fixedOffset = 0;
};

Slot slotOf(const jet4::ColumnSpec& column, const QString& table) {
    switch (column.kind) {
        case ColumnKind::Boolean:
            return {jet4::kBoolean, 0, true};
        case ColumnKind::Byte:
            return {jet4::kByte, 1, true};
        case ColumnKind::Integer:
            return {jet4::kInteger, 2, true};
        case ColumnKind::LongInteger:
            return {jet4::kLongInteger, 4, true};
        case ColumnKind::Double:
            return {jet4::kDouble, 8, true};
        case ColumnKind::Text:
            return {jet4::kText, 0, false};
        case ColumnKind::Memo:
            return {jet4::kMemo, 0, false};
        case ColumnKind::Ole:
            return {jet4::kOle, 0, false};
        default:
            throw Error(QStringLiteral("table %1, column %2: this kind cannot be written to a Jet 3 file")
                            .arg(table, column.name));
    }
}

std::vector<Slot> slotsOf(const jet4::TableSpec& table, int& fixedAreaSize, int& varColumns) {
    std::vector<Slot> columnSlots;
    fixedAreaSize = 0;
    varColumns = 0;
    for (const jet4::ColumnSpec& column : table.columns) {
        if (column.deleted || column.indexed)
            throw Error(QStringLiteral("table %1: Jet 3 fixtures have no deleted or indexed columns").arg(table.name));
        Slot slot = slotOf(column, table.name);
        slot.number = static_cast<quint16>(columnSlots.size());
        if (slot.fixed) {
            slot.fixedOffset = static_cast<quint16>(fixedAreaSize);
            fixedAreaSize += slot.fixedSize;
        } else {
            slot.varIndex = static_cast<quint16>(varColumns++);
        }
        columnSlots.push_back(slot);
    }
    return columnSlots;
}

// A data page (or LVAL page) holding `rows`, the first at the page's end.
QByteArray dataPage(const QByteArray& owner, const std::vector<QByteArray>& rows) {
    QByteArray page(kPageSize, '\0');
    page[0] = static_cast<char>(jet4::kDataPage);
    page[1] = 0x01;
    page.replace(4, 4, owner);
    put16(page, kRowCountOffset, static_cast<quint16>(rows.size()));
    const int offsetsEnd = kRowOffsetsStart + 2 * static_cast<int>(rows.size());
    int end = kPageSize;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const int start = end - static_cast<int>(rows[i].size());
        if (start < offsetsEnd) throw Error(QStringLiteral("%1 rows do not fit one Jet 3 page").arg(rows.size()));
        page.replace(start, rows[i].size(), rows[i]);
        put16(page, kRowOffsetsStart + 2 * static_cast<int>(i), static_cast<quint16>(start));
        end = start;
    }
    put16(page, 2, static_cast<quint16>(end - offsetsEnd));
    return page;
}

QByteArray pageNumber(quint32 page) {
    QByteArray bytes;
    append32(bytes, page);
    return bytes;
}

// A usage map of type 0 naming `page` (none when 0).
QByteArray usageMap(quint32 page) {
    QByteArray row(1, '\0');
    append32(row, page);
    row.append(page == 0 ? '\0' : '\1');
    return row;
}

class Builder {
public:
    QByteArray build(const jet4::DatabaseSpec& spec) {
        pages_.assign(kCataloguePage + 1, QByteArray(kPageSize, '\0'));
        pages_[0] = headerPage();
        std::vector<quint32> definitions;
        for (std::size_t i = 0; i < spec.tables.size(); ++i)
            definitions.push_back(addPage(QByteArray(kPageSize, '\0')));
        writeTable(catalogue(spec, definitions), kCataloguePage, true);
        for (std::size_t i = 0; i < spec.tables.size(); ++i) writeTable(spec.tables[i], definitions[i], false);
        pages_[kMapPage] = dataPage(pageNumber(0), mapRows_);
        QByteArray file;
        for (const QByteArray& page : pages_) file.append(page);
        return file;
    }

private:
    quint32 addPage(const QByteArray& page) {
        pages_.push_back(page);
        return static_cast<quint32>(pages_.size() - 1);
    }

    static QByteArray headerPage() {
        QByteArray page(kPageSize, '\0');
        std::memcpy(page.data(), "\x00\x01\x00\x00", 4);
        std::memcpy(page.data() + 4, "Standard Jet DB", 15);
        page[0x14] = 0x00;
        QByteArray area(mdb::encodedHeaderLength(mdb::JetVersion::Jet3), '\0');
        put16(area, 0x3a - 0x18, kGeneralSortOrder);
        put16(area, 0x3c - 0x18, kCodePage);
        mdb::toggleHeaderEncoding(reinterpret_cast<unsigned char*>(area.data()), static_cast<int>(area.size()));
        page.replace(0x18, area.size(), area);
        return page;
    }

    static jet4::TableSpec catalogue(const jet4::DatabaseSpec& spec, const std::vector<quint32>& definitions) {
        jet4::TableSpec catalogue{QStringLiteral("MSysObjects"),
                                  {{QStringLiteral("Id"), ColumnKind::LongInteger},
                                   {QStringLiteral("ParentId"), ColumnKind::LongInteger},
                                   {QStringLiteral("Flags"), ColumnKind::LongInteger},
                                   {QStringLiteral("Type"), ColumnKind::Integer},
                                   {QStringLiteral("Name"), ColumnKind::Text, 128},
                                   {QStringLiteral("LvProp"), ColumnKind::Ole}},
                                  {}};
        const auto entry = [](quint32 page, qint64 flags, const QString& name) {
            return jet4::RowSpec{{qint64(page), qint64(0x0F000001), flags, qint64(1), name, QVariant()}};
        };
        catalogue.rows.push_back(entry(kCataloguePage, kSystemTableFlags, catalogue.name));
        for (std::size_t i = 0; i < spec.tables.size(); ++i)
            catalogue.rows.push_back(entry(definitions[i], 0, spec.tables[i].name));
        return catalogue;
    }

    // The 12-byte header of a long value, with the value itself when it
    // stays in the row.
    QByteArray longValue(const QByteArray& data) {
        const auto length = static_cast<quint32>(data.size());
        QByteArray field;
        if (data.size() <= kLongValueInlineLimit) {
            append32(field, length | (quint32(jet4::kLongValueInline) << 24));
            append32(field, 0);
            append32(field, 0);
            return field + data;
        }
        quint32 pointer = 0;
        unsigned char kind = jet4::kLongValueSinglePage;
        if (data.size() <= kLargestRow) {
            pointer = jet4::rowPointer(addPage(dataPage("LVAL", {data})), 0);
        } else {
            kind = jet4::kLongValueChain;
            // From the last piece back, so that each row knows its successor.
            for (qsizetype piece = (data.size() + kChainPiece - 1) / kChainPiece - 1; piece >= 0; --piece) {
                QByteArray row;
                append32(row, pointer);
                row.append(data.mid(piece * kChainPiece, kChainPiece));
                pointer = jet4::rowPointer(addPage(dataPage("LVAL", {row})), 0);
            }
        }
        append32(field, length | (quint32(kind) << 24));
        append32(field, pointer);
        append32(field, 0);
        return field;
    }

    QByteArray fieldBytes(const jet4::ColumnSpec& column, const QVariant& value, const QString& table) {
        switch (column.kind) {
            case ColumnKind::Text: {
                if (value.toString().size() > column.length)
                    throw Error(QStringLiteral("table %1, column %2: text longer than %3 characters")
                                    .arg(table, column.name)
                                    .arg(column.length));
                return gbk(value.toString());
            }
            case ColumnKind::Memo:
                return longValue(gbk(value.toString()));
            case ColumnKind::Ole:
                return longValue(value.toByteArray());
            case ColumnKind::Byte:
                return QByteArray(1, static_cast<char>(value.toInt()));
            case ColumnKind::Integer: {
                QByteArray bytes;
                append16(bytes, static_cast<quint16>(value.toInt()));
                return bytes;
            }
            case ColumnKind::LongInteger: {
                QByteArray bytes;
                append32(bytes, static_cast<quint32>(value.toLongLong()));
                return bytes;
            }
            default: {
                const double number = value.toDouble();
                return QByteArray(reinterpret_cast<const char*>(&number), sizeof number);
            }
        }
    }

    // count, fixed area, variable values, eod, their offsets in reverse,
    // their number, null mask.
    QByteArray encodeRow(const jet4::TableSpec& table, const std::vector<Slot>& columnSlots, int fixedAreaSize,
                         int varColumns, const jet4::RowSpec& spec) {
        if (spec.values.size() != table.columns.size() || spec.deleted || spec.overflow)
            throw Error(QStringLiteral("table %1: a row Jet 3 fixtures cannot hold").arg(table.name));
        QByteArray fixedArea(fixedAreaSize, '\0');
        std::vector<QByteArray> varValues(static_cast<std::size_t>(varColumns));
        QByteArray nullMask((static_cast<int>(columnSlots.size()) + 7) / 8, '\0');
        for (std::size_t i = 0; i < columnSlots.size(); ++i) {
            const QVariant& value = spec.values[i];
            const bool present = table.columns[i].kind == ColumnKind::Boolean ? value.toBool() : !value.isNull();
            if (present)
                nullMask[columnSlots[i].number / 8] =
                    static_cast<char>(nullMask[columnSlots[i].number / 8] | (1 << (columnSlots[i].number % 8)));
            if (value.isNull() || table.columns[i].kind == ColumnKind::Boolean) continue;
            const QByteArray bytes = fieldBytes(table.columns[i], value, table.name);
            if (columnSlots[i].fixed)
                fixedArea.replace(columnSlots[i].fixedOffset, bytes.size(), bytes);
            else
                varValues[columnSlots[i].varIndex] = bytes;
        }
        QByteArray row(1, static_cast<char>(columnSlots.size()));
        row.append(fixedArea);
        QByteArray offsets;
        for (const QByteArray& value : varValues) {
            offsets.prepend(static_cast<char>(row.size()));
            row.append(value);
        }
        if (varColumns > 0) {
            if (row.size() > kLargestRowWithoutJumps)
                throw Error(
                    QStringLiteral("table %1: a row of %2 bytes needs a jump table").arg(table.name).arg(row.size()));
            row.append(static_cast<char>(row.size()));  // eod
            row.append(offsets);
            row.append(static_cast<char>(varColumns));
        }
        return row + nullMask;
    }

    void writeTable(const jet4::TableSpec& table, quint32 definitionPage, bool system) {
        int fixedAreaSize = 0;
        int varColumns = 0;
        const std::vector<Slot> columnSlots = slotsOf(table, fixedAreaSize, varColumns);
        std::vector<QByteArray> rows;
        for (const jet4::RowSpec& row : table.rows)
            rows.push_back(encodeRow(table, columnSlots, fixedAreaSize, varColumns, row));
        const quint32 data = rows.empty() ? 0 : addPage(dataPage(pageNumber(definitionPage), rows));
        mapRows_.push_back(usageMap(data));
        const quint32 usedMap = jet4::rowPointer(kMapPage, static_cast<quint8>(mapRows_.size() - 1));
        mapRows_.push_back(usageMap(data));
        const quint32 freeMap = jet4::rowPointer(kMapPage, static_cast<quint8>(mapRows_.size() - 1));

        QByteArray page(kTdefBlockEnd, '\0');
        page[0] = static_cast<char>(jet4::kTableDefinitionPage);
        page[1] = 0x01;
        page[2] = 'V';
        page[3] = 'C';
        put32(page, kTdefRowCountOffset, static_cast<quint32>(rows.size()));
        page[kTdefTableTypeOffset] = static_cast<char>(system ? 0x53 : 0x4e);
        put16(page, kTdefMaxColumnsOffset, static_cast<quint16>(columnSlots.size()));
        put16(page, kTdefVarColumnsOffset, static_cast<quint16>(varColumns));
        put16(page, kTdefColumnsOffset, static_cast<quint16>(columnSlots.size()));
        put32(page, kTdefUsedPagesOffset, usedMap);
        put32(page, kTdefFreePagesOffset, freeMap);
        for (std::size_t i = 0; i < columnSlots.size(); ++i) {
            const Slot& slot = columnSlots[i];
            const bool textual = table.columns[i].kind == ColumnKind::Text || table.columns[i].kind == ColumnKind::Memo;
            QByteArray entry(kColumnEntrySize, '\0');
            entry[0] = static_cast<char>(slot.type);
            put16(entry, 1, slot.number);
            put16(entry, 3, slot.varIndex);
            put16(entry, 5, slot.number);
            if (textual) {
                put16(entry, 7, kGeneralSortOrder);
                put16(entry, 9, kCodePage);
            }
            entry[13] = static_cast<char>((slot.fixed ? jet4::kColumnFixedFlag : 0) | jet4::kColumnNullableFlag);
            put16(entry, 14, slot.fixedOffset);
            const int length = table.columns[i].kind == ColumnKind::Text      ? table.columns[i].length
                               : table.columns[i].kind == ColumnKind::Boolean ? 1
                                                                              : slot.fixedSize;
            put16(entry, 16, static_cast<quint16>(length));
            page.append(entry);
        }
        for (const jet4::ColumnSpec& column : table.columns) {
            const QByteArray name = gbk(column.name);
            page.append(static_cast<char>(name.size()));
            page.append(name);
        }
        if (page.size() > kPageSize)
            throw Error(QStringLiteral("table %1: the definition does not fit one page").arg(table.name));
        put32(page, kTdefLengthOffset, static_cast<quint32>(page.size()));
        page.resize(kPageSize, '\0');
        pages_[definitionPage] = page;
    }

    std::vector<QByteArray> pages_;
    std::vector<QByteArray> mapRows_;
};

}  // namespace

QByteArray buildDatabase(const jet4::DatabaseSpec& spec) {
    return Builder().build(spec);
}

}  // namespace tallomar::jet3
