#pragma once

#include <QByteArray>
#include <QString>
#include <memory>

// The files of a save beside the saved file: the regular file a path names,
// the file held for the length of the save, the flushed copies that take its
// place, and the removal of copies that an interrupted save left behind.
namespace tallomar::mdb {

// The regular file that `path` names, symbolic links followed, so that a
// save replaces the file the link points to and leaves the link a link.
// Throws Error starting with `name` when there is no such file or it is not
// a regular file.
QString regularFileBehind(const QString& path, const QString& name);

// The file a save changes, held from its first read to its replacement so
// that no other save and no other program changes it meanwhile (POSIX: an
// exclusive flock; Windows: no other program may hold it open for writing
// or deleting, and a byte-range lock past its end keeps other saves out).
class HeldFile {
public:
    // Opens and reads the regular file `path`. Throws FileBusy when another
    // save, or (on Windows) another program such as Access, holds it, and
    // Error starting with `name` when it cannot be read.
    HeldFile(const QString& path, const QString& name);
    ~HeldFile();
    HeldFile(const HeldFile&) = delete;
    HeldFile& operator=(const HeldFile&) = delete;

    const QByteArray& bytes() const { return bytes_; }

    // A new hidden file .<stem>.~tallomar-save~XXXXXX beside the file
    // holding `bytes`, flushed to disk, with the file's permissions. Throws
    // Error naming it when it cannot be written (it is then removed).
    QString writeCopy(const QString& stem, const QByteArray& bytes) const;

    // Keeps `backupCopy` as `backup`, then puts `copy` in the file's place,
    // each a rename that is on disk when this returns. Throws Error saying
    // that nothing was saved when either fails (FileBusy when another
    // program holds the file); the copies are then the caller's to remove.
    // Afterwards the file may no longer be held (Windows renames nothing
    // over an open file).
    void replaceBy(const QString& copy, const QString& backupCopy, const QString& backup);

private:
    struct System;

    QString path_;
    QString name_;
    QByteArray bytes_;
    std::unique_ptr<System> system_;
};

// The name pattern of the copies a save writes of `stem` in `folder`:
// .<stem>.~tallomar-save~ followed by six letters or digits.
QString copyPattern(const QString& folder, const QString& stem);

// Removes the copies .<fileName>.~tallomar-save~XXXXXX and
// .<fileName>.bak.~tallomar-save~XXXXXX in `folder` that are older than a
// minute: a save that was killed before its rename leaves them, and a
// running save never works that long on one. Nothing else is touched,
// however it is named.
void removeStaleCopies(const QString& folder, const QString& fileName);

}  // namespace tallomar::mdb
