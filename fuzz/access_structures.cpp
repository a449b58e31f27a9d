// The Access code that reads a tool database's bytes inside the program
// itself, outside the contained reader process: the file header, the tables
// the reader process sends back, and the Jet 4 structures the cell updater
// parses and rewrites (table definitions, data pages, rows, usage maps). Any
// bytes are read or refused with Error; what the updater writes into a page
// or a row reads back as written. The input's last byte chooses the part.
#include "fuzz_check.h"
#include "platform/access/jet4_data_page.h"
#include "platform/access/jet4_format.h"
#include "platform/access/jet4_page_file.h"
#include "platform/access/jet4_row.h"
#include "platform/access/jet4_table_definition.h"
#include "platform/access/jet4_usage_map.h"
#include "platform/access/mdb_file_header.h"
#include "platform/access/table_transfer.h"
#include "platform/error.h"

#include <fuzzer/FuzzedDataProvider.h>
#include <cstddef>
#include <cstdint>

namespace {

using namespace tallomar;

const QString kContext = QStringLiteral("ZOL.mdb");

QByteArray asPage(QByteArray bytes) {
    bytes.resize(jet4::kPageSize, '\0');
    return bytes;
}

bool sameRow(const jet4::RawRow& a, const jet4::RawRow& b) {
    return a.columnCount == b.columnCount && a.fixedArea == b.fixedArea && a.varValues == b.varValues &&
           a.nullMask == b.nullMask && a.hasVarTable == b.hasVarTable;
}

// A row the updater decoded encodes to bytes that decode to the same row.
void rowRoundTrip(const QByteArray& bytes, bool hasVarColumns) {
    jet4::RawRow row;
    try {
        row = jet4::decodeRow(bytes, hasVarColumns, kContext);
    } catch (const Error&) {
        return;
    }
    try {
        const jet4::RawRow again = jet4::decodeRow(jet4::encodeRow(row), hasVarColumns, kContext);
        fuzzExpect(sameRow(row, again), "a decoded row encodes back to itself");
    } catch (const Error&) {
        fuzzExpect(false, "a decoded row encodes to bytes that decode");
    }
}

// Rows replaced or appended on an existing page read back as given, and the
// page still opens.
void dataPageEdits(const QByteArray& bytes, const QByteArray& value, bool replace, int replaced) {
    std::optional<jet4::DataPage> page;
    try {
        page = jet4::DataPage::open(asPage(bytes), kContext);
    } catch (const Error&) {
        return;
    }
    for (int row = 0; row < page->rowCount(); ++row) (void)page->rowBytes(row);
    int row = -1;
    if (page->rowCount() > 0 && replace) {
        row = replaced % page->rowCount();
        if (!page->replaceRow(row, value)) return;
    } else {
        row = page->appendRow(value);
        if (row < 0) return;
    }
    fuzzExpect(page->rowBytes(row) == value, "a row written into a page reads back");
    try {
        (void)jet4::DataPage::open(page->bytes(), kContext);
    } catch (const Error&) {
        fuzzExpect(false, "a page the updater wrote opens again");
    }
}

void usageMap(QByteArray bytes, quint32 pointer) {
    bytes.resize((bytes.size() / jet4::kPageSize + 1) * jet4::kPageSize, '\0');
    jet4::PageFile file(bytes, kContext);
    const std::vector<quint32> pages = jet4::usagePages(file, pointer, kContext);
    for (quint32 page : pages) fuzzExpect(page < file.pageCount(), "a usage map names pages of the file only");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    const int part = input.ConsumeIntegralInRange(0, 5);
    const quint32 pointer = input.ConsumeIntegral<quint32>();
    const bool choice = input.ConsumeBool();
    const int number = input.ConsumeIntegralInRange(0, 255);
    const int length = input.ConsumeIntegralInRange(0, jet4::kPageSize);
    const QByteArray value(length, char(input.ConsumeIntegral<quint8>()));
    const std::vector<char> rest = input.ConsumeRemainingBytes<char>();
    const QByteArray bytes(rest.data(), static_cast<qsizetype>(rest.size()));
    try {
        switch (part) {
            case 0:
                (void)mdb::parseFileHeader(bytes, bytes.size(), kContext);
                break;
            case 1:
                for (const mdb::Table& table : mdb::decodeTables(bytes))
                    fuzzExpect(table.rows.size() == table.locations.size(), "every decoded row knows its place");
                break;
            case 2:
                (void)jet4::parseTableDefinition(bytes, kContext);
                break;
            case 3:
                dataPageEdits(bytes, value, choice, number);
                break;
            case 4:
                rowRoundTrip(bytes, choice);
                break;
            default:
                usageMap(bytes, pointer);
                break;
        }
    } catch (const Error& error) {
        fuzzExpect(!error.message().isEmpty(), "a refusal says why");
    }
    return 0;
}
