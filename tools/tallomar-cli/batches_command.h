#pragma once

#include <QStringList>

namespace tallomar::cli {

// tallomar-cli batches FILE: prints each batch of the script exactly as the
// runner sends it, one JSON string per line, so that blanks, CR and LF show.
// Exit status 0, or 1 with a message when the file cannot be read or decoded.
int batchesCommand(const QStringList& arguments);

}  // namespace tallomar::cli
