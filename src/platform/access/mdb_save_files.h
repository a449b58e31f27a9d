#pragma once

#include <QByteArray>
#include <QString>

// The files of a save beside the saved file: the regular file a path names,
// the flushed temporary copies that are renamed into place, and the removal
// of copies that an interrupted save left behind.
namespace tallomar::mdb {

// The regular file that `path` names, symbolic links followed, so that a
// save replaces the file the link points to and leaves the link a link.
// Throws Error starting with `name` when there is no such file or it is not
// a regular file.
QString regularFileBehind(const QString& path, const QString& name);

// A new hidden file .<stem>.~tallomar-save~XXXXXX in `folder` holding
// `bytes`, flushed to disk, with `mode`. Throws Error naming the file when
// it cannot be written (it is then removed).
QString writeTemporary(const QString& folder, const QString& stem, const QByteArray& bytes, unsigned mode);

// Removes the copies .<fileName>.~tallomar-save~XXXXXX and
// .<fileName>.bak.~tallomar-save~XXXXXX in `folder` that are older than a
// minute: a save that was killed before its rename leaves them, and a
// running save never works that long on one. Nothing else is touched,
// however it is named.
void removeStaleCopies(const QString& folder, const QString& fileName);

// Makes the renames in `folder` durable.
void syncFolder(const QString& folder);

}  // namespace tallomar::mdb
