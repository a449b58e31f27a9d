#pragma once

#include "sandbox/tds_tokens.h"

#include <chrono>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

// Faults the server can be told to inject, so that tests see what a real
// server or network does to a client: a batch refused with a chosen error,
// a batch answered late, a connection dropped.
namespace tallomar::sandbox {

struct Fault {
    enum class Action { Fail, Delay, Drop };
    Action action = Action::Fail;
    // Which batch: the Nth SQL batch the server receives, on any connection,
    // counted from the moment the fault is armed (1 = the next one); or,
    // when `marker` is set, the Nth batch whose text contains it.
    int batchNumber = 1;
    std::string marker;
    ServerMessage error;                 // Fail: sent instead of running the batch
    std::chrono::milliseconds delay{0};  // Delay: waited before running it

    static Fault failBatch(int batchNumber, int errorNumber, std::string message);
    static Fault delayBatch(int batchNumber, std::chrono::milliseconds delay);
    static Fault dropAtBatch(int batchNumber);
    // The same fault, counting only the batches that contain `text`.
    Fault whenBatchContains(std::string text) const;
};

// What a fault does to the batch it fires on, as a line for a log:
// "fault: batch N answered with error NUMBER", "fault: batch N delayed by
// SECONDS seconds" or "fault: batch N dropped the connection".
std::string faultReport(const Fault& fault, int batch);

// The armed faults of one server; each fires once. Thread-safe.
class FaultPlan {
public:
    void arm(Fault fault);
    void clear();
    // Who hears of each fault as it fires, with its faultReport line and the
    // batch numbered among all the server received, the first being 1;
    // called on the thread of the batch's connection.
    void reportTo(std::function<void(const std::string& line)> listener);
    // Called once per received batch: counts it and hands out the first
    // armed fault that it triggers.
    std::optional<Fault> take(const std::string& batchText);

private:
    struct Armed {
        Fault fault;
        int seen = 0;
    };
    std::mutex mutex_;
    std::vector<Armed> armed_;
    int received_ = 0;
    std::function<void(const std::string& line)> listener_;
};

}  // namespace tallomar::sandbox
