// Parameterised script texts come from tool packages: any head must either
// be taken apart or refused with tallomar::Error, and any script body must
// be filled in or refused the same way. Input: the head, a NUL byte, the
// body, a NUL byte, a value given to every parameter.
#include "logic/params/cls_sql.h"
#include "fuzz_check.h"
#include "platform/error.h"

#include <QByteArray>
#include <QList>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QList<QByteArray> parts =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)).split('\0');
    const auto part = [&](qsizetype at) { return at < parts.size() ? QString::fromUtf8(parts[at]) : QString(); };
    const QString head = part(0);
    const QString body = part(1);

    tallomar::ClsSQL sql;
    try {
        sql.setPsSQLText(head);
    } catch (const tallomar::Error&) {
        return 0;
    }
    const auto count = static_cast<qsizetype>(sql.parameters().size());
    fuzzExpect(count <= head.size() + 1, "no more parameters than the head has characters");
    if (parts.size() > 2) {
        for (int index = 1; index < count; ++index) sql.setParameterValue(index, part(2));
    }
    try {
        const QString filled = sql.fillPlaceholders(body);
        if (count <= 1) fuzzExpect(filled == body, "a text without parameters is left as it is");
    } catch (const tallomar::Error&) {
    }
    return 0;
}
