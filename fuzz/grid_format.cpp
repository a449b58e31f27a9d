// Grid format strings come from the tool database, written by package
// authors: any text yields columns, one per "|"-separated field.
#include "platform/ui/grid_format.h"
#include "fuzz_check.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString format = QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const auto columns = tallomar::parseGridFormat(format);
    fuzzExpect(columns.size() == static_cast<std::size_t>(format.count(QLatin1Char('|'))) + 1, "one column per field");
    for (const auto& column : columns) {
        const Qt::Alignment horizontal = column.alignment & Qt::AlignHorizontal_Mask;
        fuzzExpect(horizontal == Qt::AlignLeft || horizontal == Qt::AlignHCenter || horizontal == Qt::AlignRight,
                   "each column is aligned left, centred or right");
    }
    return 0;
}
