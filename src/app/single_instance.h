#pragma once

#include <QLockFile>
#include <QString>
#include <memory>

namespace tallomar {

// Holds a per-user lock for one installation of the program (its executable
// path) for as long as the object lives. A lock left behind by a killed
// process is taken over at once.
class SingleInstance {
public:
    explicit SingleInstance(const QString& executablePath);
    // True when no other running copy holds the lock; this copy then holds it.
    bool acquire();

private:
    std::unique_ptr<QLockFile> lock_;
};

}  // namespace tallomar
