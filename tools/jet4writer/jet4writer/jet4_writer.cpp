#include "jet4writer/jet4_writer.h"

#include "platform/access/jet4_data_page.h"
#include "platform/access/jet4_format.h"
#include "platform/access/jet4_long_value.h"
#include "platform/access/jet4_row.h"
#include "platform/access/mdb_file_header.h"
#include "platform/error.h"

#include <QDateTime>
#include <QFile>
#include <QSaveFile>
#include <algorithm>
#include <cstring>
#include <map>
#include <optional>

namespace tallomar::jet4 {

namespace {

using mdb::ColumnKind;

constexpr quint32 kHeaderPage = 0;
constexpr quint32 kFirstMapPage = 1;
constexpr quint32 kCataloguePage = 2;
constexpr quint32 kSystemTableFlags = 0x80000002;
constexpr quint16 kGeneralSortOrder = 0x0409;
constexpr quint16 kPropertyNamesBlock = 0x80;
constexpr quint16 kPropertyValuesBlock = 0x00;

struct Layout {
    unsigned char type = 0;
    int fixedSize = 0;  // 0 for variable-length kinds
};

Layout layoutOf(const ColumnSpec& column, const QString& table) {
    switch (column.kind) {
        case ColumnKind::Boolean:
            return {kBoolean, 0};
        case ColumnKind::Byte:
            return {kByte, 1};
        case ColumnKind::Integer:
            return {kInteger, 2};
        case ColumnKind::LongInteger:
            return {kLongInteger, 4};
        case ColumnKind::Double:
            return {kDouble, 8};
        case ColumnKind::DateTime:
            return {kDateTime, 8};
        case ColumnKind::Text:
            return {kText, 0};
        case ColumnKind::Memo:
            return {kMemo, 0};
        case ColumnKind::Ole:
            return {kOle, 0};
        default:
            throw Error(
                QStringLiteral("table %1, column %2: this column kind cannot be written").arg(table, column.name));
    }
}

bool isFixed(const ColumnSpec& column, const QString& table) {
    return column.kind == ColumnKind::Boolean || layoutOf(column, table).fixedSize > 0;
}

// Slots of a table's columns: number, fixed offset or variable slot.
struct Slot {
    Layout layout;
    bool fixed = false;
    quint16 number = 0;
    quint16 varIndex = 0;
    quint16 fixedOffset = 0;
};

struct TableLayout {
    std::vector<Slot> columnSlots;
    int fixedAreaSize = 0;
    int varSlots = 0;
};

TableLayout layoutTable(const TableSpec& table) {
    TableLayout layout;
    for (size_t i = 0; i < table.columns.size(); ++i) {
        Slot slot;
        slot.layout = layoutOf(table.columns[i], table.name);
        slot.fixed = isFixed(table.columns[i], table.name);
        slot.number = static_cast<quint16>(i);
        if (slot.fixed) {
            slot.fixedOffset = static_cast<quint16>(layout.fixedAreaSize);
            layout.fixedAreaSize += slot.layout.fixedSize;
        } else {
            slot.varIndex = static_cast<quint16>(layout.varSlots++);
        }
        layout.columnSlots.push_back(slot);
    }
    return layout;
}

QByteArray fixedBytes(const ColumnSpec& column, const QVariant& value) {
    QByteArray bytes;
    switch (column.kind) {
        case ColumnKind::Byte:
            bytes.append(static_cast<char>(value.toInt()));
            break;
        case ColumnKind::Integer:
            append16(bytes, static_cast<quint16>(value.toInt()));
            break;
        case ColumnKind::LongInteger:
            append32(bytes, static_cast<quint32>(value.toLongLong()));
            break;
        case ColumnKind::Double: {
            const double d = value.toDouble();
            bytes.resize(8);
            std::memcpy(bytes.data(), &d, 8);
            break;
        }
        case ColumnKind::DateTime: {
            static const QDateTime epoch(QDate(1899, 12, 30), QTime(0, 0));
            const QDateTime when = value.toDateTime();
            const double days = static_cast<double>(epoch.msecsTo(when)) / 86400000.0;
            bytes.resize(8);
            std::memcpy(bytes.data(), &days, 8);
            break;
        }
        default:
            break;
    }
    return bytes;
}

// A table's properties as the catalogue's LvProp column keeps them: the
// list of property names, then one block of values naming them by index.
QByteArray propertyData(const QString& description) {
    const QByteArray name = encodeText(QStringLiteral("Description"));
    QByteArray names;
    append16(names, static_cast<quint16>(name.size()));
    names.append(name);

    const QByteArray value = encodeText(description);
    QByteArray values;
    append32(values, 0);  // the block's own length, unused by readers
    append16(values, 0);  // the block's name: none
    append16(values, static_cast<quint16>(8 + value.size()));
    values.append('\0');  // not a DDL property
    values.append(static_cast<char>(kText));
    append16(values, 0);  // index of the name
    append16(values, static_cast<quint16>(value.size()));
    values.append(value);

    QByteArray data("MR2", 4);
    append32(data, static_cast<quint32>(6 + names.size()));
    append16(data, kPropertyNamesBlock);
    data.append(names);
    append32(data, static_cast<quint32>(6 + values.size()));
    append16(data, kPropertyValuesBlock);
    data.append(values);
    return data;
}

class Builder {
public:
    QByteArray build(const DatabaseSpec& spec) {
        pages_.resize(kCataloguePage + 1);
        pages_[kHeaderPage] = headerPage();
        mapPage_ = kFirstMapPage;
        maps_.emplace(mapPage_, DataPage::create(0));

        std::vector<quint32> definitionPages;
        for (size_t i = 0; i < spec.tables.size(); ++i) definitionPages.push_back(newPage());

        TableSpec catalogue = catalogueSpec(spec, definitionPages);
        writeTable(catalogue, kCataloguePage, true);
        for (size_t i = 0; i < spec.tables.size(); ++i) writeTable(spec.tables[i], definitionPages[i], false);

        for (auto& [number, page] : maps_) pages_[number] = page.bytes();
        QByteArray file;
        for (const QByteArray& page : pages_) file.append(page);
        return file;
    }

private:
    quint32 newPage() {
        pages_.emplace_back(kPageSize, '\0');
        return static_cast<quint32>(pages_.size() - 1);
    }

    static QByteArray headerPage() {
        QByteArray page(kPageSize, '\0');
        const char magic[] = {0x00, 0x01, 0x00, 0x00};
        std::memcpy(page.data(), magic, 4);
        std::memcpy(page.data() + 4, "Standard Jet DB", 15);
        page[0x14] = 0x01;
        QByteArray area(mdb::encodedHeaderLength(mdb::JetVersion::Jet4), '\0');
        put16(area, 0x3c - 0x18, 1252);               // code page
        put16(area, 0x6e - 0x18, kGeneralSortOrder);  // collating order
        mdb::toggleHeaderEncoding(reinterpret_cast<unsigned char*>(area.data()), area.size());
        std::memcpy(page.data() + 0x18, area.constData(), area.size());
        return page;
    }

    static TableSpec catalogueSpec(const DatabaseSpec& spec, const std::vector<quint32>& definitionPages) {
        TableSpec catalogue;
        catalogue.name = QStringLiteral("MSysObjects");
        catalogue.columns = {
            {QStringLiteral("Id"), ColumnKind::LongInteger},    {QStringLiteral("ParentId"), ColumnKind::LongInteger},
            {QStringLiteral("Flags"), ColumnKind::LongInteger}, {QStringLiteral("Type"), ColumnKind::Integer},
            {QStringLiteral("Name"), ColumnKind::Text, 128},    {QStringLiteral("LvProp"), ColumnKind::Ole},
        };
        const auto entry = [](quint32 page, qint64 flags, const QString& name, const QString& description) {
            return RowSpec{{QVariant(qint64(page)), QVariant(qint64(0x0F000001)), QVariant(flags), QVariant(1),
                            QVariant(name), description.isEmpty() ? QVariant() : QVariant(propertyData(description))}};
        };
        catalogue.rows.push_back(entry(kCataloguePage, kSystemTableFlags, catalogue.name, QString()));
        for (size_t i = 0; i < spec.tables.size(); ++i)
            catalogue.rows.push_back(entry(definitionPages[i], 0, spec.tables[i].name, spec.tables[i].description));
        return catalogue;
    }

    QByteArray longValue(const QByteArray& data) {
        return storeLongValue(data, [this](const QByteArray& page) {
            pages_.push_back(page);
            return static_cast<quint32>(pages_.size() - 1);
        });
    }

    QByteArray encode(const TableSpec& table, const TableLayout& layout, const RowSpec& spec) {
        if (spec.values.size() != table.columns.size())
            throw Error(QStringLiteral("table %1: a row has %2 values for %3 columns")
                            .arg(table.name)
                            .arg(spec.values.size())
                            .arg(table.columns.size()));
        RawRow row;
        row.columnCount = static_cast<quint16>(layout.columnSlots.size());
        row.fixedArea = QByteArray(layout.fixedAreaSize, '\0');
        row.varValues.resize(layout.varSlots);
        row.hasVarTable = layout.varSlots > 0;
        for (size_t i = 0; i < table.columns.size(); ++i) {
            const ColumnSpec& column = table.columns[i];
            const Slot& slot = layout.columnSlots[i];
            const QVariant& value = spec.values[i];
            if (column.kind == ColumnKind::Boolean) {
                row.setPresent(slot.number, !value.isNull() && value.toBool());
                continue;
            }
            row.setPresent(slot.number, !value.isNull());
            if (value.isNull()) continue;
            if (slot.fixed) {
                const QByteArray bytes = fixedBytes(column, value);
                std::memcpy(row.fixedArea.data() + slot.fixedOffset, bytes.constData(), bytes.size());
            } else if (column.kind == ColumnKind::Text) {
                const QString text = value.toString();
                if (text.size() > column.length)
                    throw Error(QStringLiteral("table %1, column %2: text longer than %3 characters")
                                    .arg(table.name, column.name)
                                    .arg(column.length));
                row.varValues[slot.varIndex] = encodeText(text);
            } else if (column.kind == ColumnKind::Memo) {
                row.varValues[slot.varIndex] = longValue(encodeText(value.toString()));
            } else {
                row.varValues[slot.varIndex] = longValue(value.toByteArray());
            }
        }
        return encodeRow(row);
    }

    void writeTable(const TableSpec& table, quint32 definitionPage, bool system) {
        const TableLayout layout = layoutTable(table);
        std::vector<quint32> owned;
        quint32 current = 0;
        std::optional<DataPage> page;
        const auto flush = [&] {
            if (page) pages_[current] = page->bytes();
        };
        quint32 liveRows = 0;
        // Rows that moved live on overflow pages, flagged with the deleted
        // bit alone so that a scan meets them once, through the stub.
        quint32 overflowNumber = 0;
        std::optional<DataPage> overflow;
        for (const RowSpec& spec : table.rows) {
            QByteArray bytes = encode(table, layout, spec);
            quint16 flags = spec.deleted ? (kRowDeleted | kRowOverflow) : 0;
            if (spec.overflow) {
                int index = overflow ? overflow->appendRow(bytes, kRowDeleted) : -1;
                if (index < 0) {
                    if (overflow) pages_[overflowNumber] = overflow->bytes();
                    overflowNumber = newPage();
                    owned.push_back(overflowNumber);
                    overflow = DataPage::create(definitionPage);
                    index = overflow->appendRow(bytes, kRowDeleted);
                }
                bytes.clear();
                append32(bytes, rowPointer(overflowNumber, static_cast<quint8>(index)));
                flags = kRowOverflow;
            }
            if (!page || page->appendRow(bytes, flags) < 0) {
                flush();
                current = newPage();
                owned.push_back(current);
                page = DataPage::create(definitionPage);
                if (page->appendRow(bytes, flags) < 0)
                    throw Error(QStringLiteral("table %1: a row of %2 bytes does not fit a page")
                                    .arg(table.name)
                                    .arg(bytes.size()));
            }
            if (!spec.deleted) ++liveRows;
        }
        flush();
        if (overflow) pages_[overflowNumber] = overflow->bytes();
        std::sort(owned.begin(), owned.end());
        const quint32 usedMap = addMapRow(owned);
        const quint32 freeMap = addMapRow(owned);
        pages_[definitionPage] = definition(table, layout, liveRows, usedMap, freeMap, system);
    }

    // A usage map of type 0: a start page and a bitmap of the pages after it.
    quint32 addMapRow(const std::vector<quint32>& owned) {
        QByteArray row(1, '\0');
        const quint32 first = owned.empty() ? 0 : owned.front();
        append32(row, first);
        QByteArray bitmap(owned.empty() ? 1 : static_cast<int>((owned.back() - first) / 8 + 1), '\0');
        for (quint32 number : owned)
            bitmap[(number - first) / 8] =
                static_cast<char>(bitmap[(number - first) / 8] | (1 << ((number - first) % 8)));
        row.append(bitmap);
        int index = maps_.at(mapPage_).appendRow(row);
        if (index < 0) {
            mapPage_ = newPage();
            maps_.emplace(mapPage_, DataPage::create(0));
            index = maps_.at(mapPage_).appendRow(row);
            if (index < 0) throw Error(QStringLiteral("a usage map of %1 bytes does not fit a page").arg(row.size()));
        }
        return rowPointer(mapPage_, static_cast<quint8>(index));
    }

    static QByteArray definition(const TableSpec& table, const TableLayout& layout, quint32 liveRows, quint32 usedMap,
                                 quint32 freeMap, bool system) {
        std::vector<size_t> live;
        std::vector<size_t> indexed;
        int liveVar = 0;
        for (size_t i = 0; i < table.columns.size(); ++i) {
            if (table.columns[i].deleted) continue;
            live.push_back(i);
            if (!layout.columnSlots[i].fixed) ++liveVar;
            if (table.columns[i].indexed) indexed.push_back(i);
        }
        QByteArray page(kTdefBlockEnd, '\0');
        page[0] = static_cast<char>(kTableDefinitionPage);
        page[1] = 0x01;
        put32(page, kTdefRowCountOffset, liveRows);
        page[kTdefTableTypeOffset] = system ? 0x53 : 0x4e;
        put16(page, kTdefMaxColumnsOffset, static_cast<quint16>(layout.columnSlots.size()));
        put16(page, kTdefVarColumnsOffset, static_cast<quint16>(liveVar));
        put16(page, kTdefColumnsOffset, static_cast<quint16>(live.size()));
        put32(page, kTdefIndexesOffset, static_cast<quint32>(indexed.size()));
        put32(page, kTdefRealIndexesOffset, static_cast<quint32>(indexed.size()));
        put32(page, kTdefUsedPagesOffset, usedMap);
        put32(page, kTdefFreePagesOffset, freeMap);
        page.append(QByteArray(static_cast<int>(indexed.size()) * kRealIndexHeaderSize, '\0'));

        for (size_t position = 0; position < live.size(); ++position) {
            const ColumnSpec& column = table.columns[live[position]];
            const Slot& slot = layout.columnSlots[live[position]];
            QByteArray entry(kColumnEntrySize, '\0');
            entry[kColumnTypeOffset] = static_cast<char>(slot.layout.type);
            put16(entry, kColumnNumberOffset, slot.number);
            put16(entry, kColumnVarIndexOffset, slot.varIndex);
            put16(entry, kColumnIndexOffset, static_cast<quint16>(position));
            if (column.kind == ColumnKind::Text || column.kind == ColumnKind::Memo)
                put16(entry, kColumnSortOrderOffset, kGeneralSortOrder);
            entry[kColumnFlagsOffset] = static_cast<char>((slot.fixed ? kColumnFixedFlag : 0) | kColumnNullableFlag);
            put16(entry, kColumnFixedOffsetOffset, slot.fixedOffset);
            quint16 length = static_cast<quint16>(slot.layout.fixedSize);
            if (column.kind == ColumnKind::Text)
                length = static_cast<quint16>(2 * column.length);
            else if (column.kind == ColumnKind::Boolean)
                length = 1;
            put16(entry, kColumnLengthOffset, length);
            page.append(entry);
        }
        for (size_t i : live) {
            const QByteArray name = encodeText(table.columns[i].name);
            append16(page, static_cast<quint16>(name.size()));
            page.append(name);
        }
        for (size_t i : indexed) {
            QByteArray entry(kRealIndexEntrySize, '\0');
            for (int slot = 0; slot < kIndexColumnSlots; ++slot) {
                put16(entry, 4 + 3 * slot, slot == 0 ? layout.columnSlots[i].number : 0xffff);
                entry[4 + 3 * slot + 2] = slot == 0 ? 0x01 : 0x00;
            }
            page.append(entry);
        }
        for (size_t n = 0; n < indexed.size(); ++n) {
            QByteArray entry(kLogicalIndexEntrySize, '\0');
            put32(entry, 4, static_cast<quint32>(n));
            put32(entry, 8, static_cast<quint32>(n));
            put32(entry, 13, 0xffffffff);
            page.append(entry);
        }
        for (size_t i : indexed) {
            const QByteArray name = encodeText(QStringLiteral("idx_") + table.columns[i].name);
            append16(page, static_cast<quint16>(name.size()));
            page.append(name);
        }
        if (page.size() > kPageSize)
            throw Error(QStringLiteral("table %1: the definition does not fit one page").arg(table.name));
        put32(page, kTdefLengthOffset, static_cast<quint32>(page.size()));
        put16(page, kFreeSpaceOffset, static_cast<quint16>(kPageSize - page.size()));
        page.resize(kPageSize, '\0');
        return page;
    }

    std::vector<QByteArray> pages_;
    std::map<quint32, DataPage> maps_;
    quint32 mapPage_ = kFirstMapPage;
};

}  // namespace

QByteArray buildDatabase(const DatabaseSpec& spec) {
    return Builder().build(spec);
}

void writeDatabase(const DatabaseSpec& spec, const QString& path) {
    const QByteArray bytes = buildDatabase(spec);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        throw Error(QStringLiteral("%1: cannot write the file: %2").arg(path, file.errorString()));
}

}  // namespace tallomar::jet4
