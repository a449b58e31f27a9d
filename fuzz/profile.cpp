// Initialization files come from tool packages and are written back by the
// parameter window: any bytes must parse, and storing one value must leave
// every other value, and every byte outside the old value, as it was. The
// first input byte picks the section, key and value stored; the rest is the
// file.
#include "fuzz_check.h"
#include "platform/error.h"
#include "platform/text/profile_document.h"

#include <QString>
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace {

using tallomar::profile::Document;

const std::array<QString, 3> kSections{QStringLiteral("SQL"), QStringLiteral("Var"), QStringLiteral("参数")};
const std::array<QString, 3> kKeys{QStringLiteral("Name"), QStringLiteral("1"), QStringLiteral("名称")};
const std::array<QString, 4> kValues{QString(), QStringLiteral("v2"), QStringLiteral("报表 x"),
                                     QStringLiteral("a=b;c")};

std::vector<std::optional<QString>> everyProbe(const Document& document) {
    std::vector<std::optional<QString>> values;
    for (const QString& section : kSections)
        for (const QString& key : kKeys) values.push_back(document.value(section, key));
    return values;
}

bool isUtf16(const QByteArray& bytes) {
    return bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF");
}

// The bytes of `before` that `after` lacks, between the longest common start
// and the longest common end.
QByteArray removedBytes(const QByteArray& before, const QByteArray& after) {
    const qsizetype shorter = std::min(before.size(), after.size());
    qsizetype start = 0;
    while (start < shorter && before[start] == after[start]) ++start;
    qsizetype end = 0;
    while (start + end < shorter && before[before.size() - 1 - end] == after[after.size() - 1 - end]) ++end;
    return before.mid(start, before.size() - start - end);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::size_t sectionIndex = data[0] % 3;
    const std::size_t keyIndex = data[0] / 3 % 3;
    const QString& section = kSections[sectionIndex];
    const QString& key = kKeys[keyIndex];
    const QString& value = kValues[data[0] / 9 % 4];
    const QByteArray bytes(reinterpret_cast<const char*>(data + 1), static_cast<qsizetype>(size - 1));

    const Document before(bytes);
    const std::optional<QString> old = before.value(section, key);
    QByteArray written;
    try {
        written = before.withValue(section, key, value);
    } catch (const tallomar::Error&) {
        return 0;  // a file it cannot be written to is refused, and no byte written
    }
    const Document after(written);
    fuzzExpect(after.value(section, key) == value, "the stored value reads back");

    std::vector<std::optional<QString>> expected = everyProbe(before);
    expected[sectionIndex * kKeys.size() + keyIndex] = value;
    fuzzExpect(everyProbe(after) == expected, "every other value stays as it was");

    const QByteArray removed = removedBytes(bytes, written);
    if (!old) fuzzExpect(removed.isEmpty(), "adding a value removes no byte");
    // Lines end at LF (a lone CR is text); in UTF-16 an LF byte may be half
    // of another character.
    if (!isUtf16(bytes)) fuzzExpect(!removed.contains('\n'), "a stored value replaces bytes of one line only");
    return 0;
}
