#include "jet4writer/damage.h"

#include "platform/error.h"
#include "platform/access/jet4_format.h"

namespace tallomar::jet4 {

namespace {

constexpr int kKkdHeaderSize = 4;      // "MR2\0"
constexpr int kBlockHeaderSize = 6;    // length (4), type (2)
constexpr int kValuesHeaderSize = 6;   // length (4), name length (2), with an empty name

void requirePage(const QByteArray& file, quint32 page)
{
    if (qsizetype(page + 1) * kPageSize > file.size())
        throw Error(QStringLiteral("the file has no page %1").arg(page));
}

}  // namespace

void flipUsageMapPointerBit(QByteArray& file, quint32 definitionPage, int bit)
{
    requirePage(file, definitionPage);
    const qsizetype at = qsizetype(definitionPage) * kPageSize + kTdefUsedPagesOffset + bit / 8;
    if (static_cast<unsigned char>(file[qsizetype(definitionPage) * kPageSize]) != kTableDefinitionPage)
        throw Error(QStringLiteral("page %1 is not a table definition").arg(definitionPage));
    file[at] = static_cast<char>(file[at] ^ (1 << (bit % 8)));
}

void flipPropertyLengthBit(QByteArray& file)
{
    const qsizetype data = file.indexOf(QByteArray("MR2", 4));
    if (data < 0)
        throw Error(QStringLiteral("the file holds no property data"));
    const qsizetype namesBlock = data + kKkdHeaderSize;
    const qsizetype valuesBlock = namesBlock + get32(file, static_cast<int>(namesBlock));
    const qsizetype length = valuesBlock + kBlockHeaderSize + kValuesHeaderSize;
    const quint16 value = get16(file, static_cast<int>(length));
    if (value == 0 || (value & (value - 1)) != 0)
        throw Error(QStringLiteral("the first property's length %1 is not a single bit").arg(value));
    put16(file, static_cast<int>(length), 0);
}

void zeroPage(QByteArray& file, quint32 page)
{
    requirePage(file, page);
    file.replace(qsizetype(page) * kPageSize, kPageSize, QByteArray(kPageSize, '\0'));
}

quint32 firstLongValuePage(const QByteArray& file)
{
    for (quint32 page = 0; qsizetype(page + 1) * kPageSize <= file.size(); ++page)
        if (file.mid(qsizetype(page) * kPageSize + kOwnerOffset, 4) == "LVAL")
            return page;
    throw Error(QStringLiteral("the file has no LVAL page"));
}

}  // namespace tallomar::jet4
