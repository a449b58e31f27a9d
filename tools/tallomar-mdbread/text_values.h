#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

#include <mdbtools.h>

namespace tallomar::mdb {

// Text and memo values as UTF-8. Jet 4 keeps text as UTF-16 little endian,
// optionally "compressed": a value opening with FF FE switches between runs
// of one byte per character (the character's low byte, its high byte zero)
// and runs of UTF-16, at every zero byte. libmdb converts such text with
// UCS-2, which turns each half of a surrogate pair into '?': a character
// beyond U+FFFF (CJK Extension B, say) would read as "??". So Jet 4 text is
// decoded here; Jet 3 text is in the file's code page, which libmdb's
// conversion handles.
class TextValues {
public:
    explicit TextValues(MdbHandle* mdb, QString fileName);

    // The text stored in `bytes`; `where` names the cell for messages
    // ("column cName in table File"). Throws Error when the bytes cannot be
    // text of this file's format.
    QByteArray utf8(const char* bytes, size_t size, const QString& where) const;

private:
    MdbHandle* mdb_;
    QString fileName_;
};

// Jet 4's stored text, or nothing when a run of UTF-16 ends in half a
// character.
std::optional<QString> jet4Text(const char* bytes, size_t size);

}  // namespace tallomar::mdb
