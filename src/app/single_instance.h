#pragma once

#include <QLockFile>
#include <QString>
#include <memory>

namespace tallomar {

// Without XDG_RUNTIME_DIR, points it at a folder of the user's own under the
// temp folder (made closed to others on first use), so that Qt, which looks
// there while the application object is made, neither warns nor uses a
// folder of its own. Called before the application object exists.
void ProvideRuntimeFolder();

// Holds a per-user lock for one installation of the program (its executable
// path) for as long as the object lives. A lock left behind by a killed
// process is taken over at once. The lock is kept in XDG_RUNTIME_DIR, or
// without it in a folder of the user's own under the temp folder.
class SingleInstance {
public:
    explicit SingleInstance(const QString& executablePath);
    // True when no other running copy holds the lock; this copy then holds it.
    bool acquire();

private:
    std::unique_ptr<QLockFile> lock_;
};

}  // namespace tallomar
