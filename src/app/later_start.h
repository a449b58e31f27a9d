#pragma once

#include "app/single_instance.h"

#include <QString>
#include <chrono>

namespace tallomar {

// What a start does when another copy of the program already runs: it asks
// that copy to bring its window to the front (waiting up to `wait` for its
// answer) and ends. Returns the exit status: 0 when the running copy came
// forward with the package this start names (`namedPackage`, or any package
// when it names none); otherwise 1, after a message box that says Tallomar
// is already running and with which package folder, or that it did not
// answer.
int DeferToRunningCopy(const SingleInstance& instance, const QString& namedPackage, std::chrono::milliseconds wait);

}  // namespace tallomar
