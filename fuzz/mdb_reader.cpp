// A tool database is whatever file sits in the package as ZOL.mdb: any bytes
// must be read or refused with a message naming the file, never crash or
// hang the program. The reading itself runs in tallomar-mdbread; what
// libmdb does there is contained, what comes back is checked here.
#include "fuzz_check.h"
#include "platform/error.h"
#include "platform/access/mdb_reader.h"

#include <QFile>
#include <QTemporaryDir>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("ZOL.mdb"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return 0;
    file.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size));
    file.close();
    try {
        for (const tallomar::mdb::Table& table : tallomar::mdb::readTables(path)) {
            fuzzExpect(table.rows.size() == table.locations.size(), "every row knows its place");
            for (const auto& row : table.rows)
                fuzzExpect(row.size() == table.columns.size(), "every row has a value per column");
        }
    } catch (const tallomar::Error& error) {
        fuzzExpect(error.message().startsWith(QStringLiteral("ZOL.mdb: ")), "the message names the file");
    }
    return 0;
}
