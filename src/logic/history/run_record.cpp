#include "logic/history/run_record.h"

#include <array>
#include <utility>

namespace tallomar::history {

namespace {

const std::array<std::pair<RunKind, const char*>, 3> kKinds{{
    {RunKind::Check, "check"},
    {RunKind::Correct, "correct"},
    {RunKind::Preview, "preview"},
}};

const std::array<std::pair<RunStatus, const char*>, 7> kStatuses{{
    {RunStatus::Running, "running"},
    {RunStatus::Ok, "ok"},
    {RunStatus::Findings, "findings"},
    {RunStatus::Undone, "undone"},
    {RunStatus::Failed, "failed"},
    {RunStatus::Cancelled, "cancelled"},
    {RunStatus::Interrupted, "interrupted"},
}};

template <typename Value, std::size_t N>
QString nameOf(const std::array<std::pair<Value, const char*>, N>& names, Value value) {
    for (const auto& [each, name] : names)
        if (each == value) return QString::fromLatin1(name);
    return {};
}

template <typename Value, std::size_t N>
std::optional<Value> valueOf(const std::array<std::pair<Value, const char*>, N>& names, const QString& name) {
    for (const auto& [each, text] : names)
        if (name == QLatin1String(text)) return each;
    return std::nullopt;
}

}  // namespace

QString kindName(RunKind kind) {
    return nameOf(kKinds, kind);
}
std::optional<RunKind> kindFromName(const QString& name) {
    return valueOf(kKinds, name);
}
QString statusName(RunStatus status) {
    return nameOf(kStatuses, status);
}
std::optional<RunStatus> statusFromName(const QString& name) {
    return valueOf(kStatuses, name);
}

}  // namespace tallomar::history
