// A tool database is whatever file sits in the package as ZOL.mdb: any bytes
// must be read or refused with a message naming the file. The program reads
// through the contained reader process, where libmdb's crashes and hangs
// cannot reach it; here the same reading code runs in this process, so that
// what our code does with every file libmdb gets through is checked at
// thousands of files a second.
#include "fuzz_check.h"
#include "platform/error.h"
#include "support/memory_file.h"
#include "support/read_in_process.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static tallomar::fuzz::MemoryFile file(QStringLiteral("ZOL.mdb"));
    file.write(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    try {
        for (const tallomar::mdb::Table& table : tallomar::fuzz::readTablesInProcess(file.path())) {
            fuzzExpect(table.rows.size() == table.locations.size(), "every row knows its place");
            std::vector<tallomar::mdb::RowLocation> places = table.locations;
            std::sort(places.begin(), places.end(),
                      [](const auto& a, const auto& b) { return std::pair(a.page, a.row) < std::pair(b.page, b.row); });
            fuzzExpect(std::adjacent_find(places.begin(), places.end()) == places.end(),
                       "no two rows of a table share a place, which a cell change names");
            for (const auto& row : table.rows)
                fuzzExpect(row.size() == table.columns.size(), "every row has a value per column");
        }
    } catch (const tallomar::Error& error) {
        fuzzExpect(error.message().startsWith(QStringLiteral("ZOL.mdb: ")), "the message names the file");
    }
    return 0;
}
