// The contained helper on Windows: CreateProcessW in a Job Object that ends
// the helper, and whatever it started, when the time is up, when it floods
// its output or when the caller goes; the helper caps its own committed
// memory with a job of its own. The result travels in a temporary file whose
// handle the helper inherits.
#include "platform/access/contained_run.h"

#include "platform/access/contained_protocol.h"
#include "platform/error.h"

#include <windows.h>

#include <psapi.h>
#include <QDir>
#include <QElapsedTimer>
#include <atomic>
#include <cstdio>
#include <cwchar>
#include <mutex>
#include <new>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace tallomar::mdb {

namespace {

using namespace contained;

// The variable that tells the helper which inherited handle takes its result.
constexpr wchar_t kResultHandleVariable[] = L"TALLOMAR_CONTAINED_RESULT";

QString systemMessage() {
    return qt_error_string(int(GetLastError()));
}

class Handle {
public:
    explicit Handle(HANDLE handle = nullptr) : handle_(handle == INVALID_HANDLE_VALUE ? nullptr : handle) {}
    ~Handle() { reset(); }
    Handle(Handle&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
    Handle& operator=(Handle&& other) noexcept {
        reset();
        handle_ = std::exchange(other.handle_, nullptr);
        return *this;
    }
    HANDLE get() const { return handle_; }
    void reset() {
        if (handle_) CloseHandle(handle_);
        handle_ = nullptr;
    }

private:
    HANDLE handle_;
};

// An argument as the helper's C runtime splits its command line back.
std::wstring quoted(const QString& argument) {
    const std::wstring text = argument.toStdWString();
    if (!text.empty() && text.find_first_of(L" \t\n\v\"") == std::wstring::npos) return text;
    std::wstring out = L"\"";
    std::size_t backslashes = 0;
    for (const wchar_t c : text) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        out.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        out.push_back(c);
        backslashes = 0;
    }
    out.append(backslashes * 2, L'\\');
    out.push_back(L'"');
    return out;
}

// This process's environment with `variable` ("NAME=value") in it, as
// CreateProcessW takes an environment.
std::wstring environmentWith(const std::wstring& variable) {
    wchar_t* const block = GetEnvironmentStringsW();
    const std::wstring name = variable.substr(0, variable.find(L'=') + 1);
    std::wstring out;
    for (const wchar_t* entry = block; *entry; entry += std::wcslen(entry) + 1) {
        if (_wcsnicmp(entry, name.c_str(), name.size()) == 0) continue;
        out.append(entry).push_back(L'\0');
    }
    FreeEnvironmentStringsW(block);
    out.append(variable).push_back(L'\0');
    out.push_back(L'\0');
    return out;
}

// A new temporary file that goes when its last handle closes; inheritable.
HANDLE resultFile() {
    static std::atomic<unsigned> counter{0};
    const QString path = QDir::toNativeSeparators(QDir::temp().filePath(
        QStringLiteral("tallomar-contained-%1-%2-%3").arg(GetCurrentProcessId()).arg(++counter).arg(GetTickCount64())));
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    const HANDLE file = CreateFileW(reinterpret_cast<const wchar_t*>(path.utf16()), GENERIC_READ | GENERIC_WRITE,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, &inherit, CREATE_NEW,
                                    FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        throw Error(QStringLiteral("cannot create the temporary file %1: %2").arg(path, systemMessage()));
    return file;
}

bool writeAll(HANDLE handle, const char* data, qsizetype size) {
    while (size > 0) {
        DWORD written = 0;
        const DWORD piece = DWORD(std::min<qsizetype>(size, 1 << 30));
        if (!WriteFile(handle, data, piece, &written, nullptr) || written == 0) return false;
        data += written;
        size -= written;
    }
    return true;
}

bool seek(HANDLE handle, qint64 offset) {
    LARGE_INTEGER to;
    to.QuadPart = offset;
    return SetFilePointerEx(handle, to, nullptr, FILE_BEGIN);
}

// The helper's frame: its tag byte and its content.
struct Frame {
    char tag = 0;
    QByteArray content;
};

Frame frameOf(HANDLE file) {
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file, &size) || size.QuadPart < 1 || !seek(file, 0)) return {};
    QByteArray bytes(qsizetype(size.QuadPart), Qt::Uninitialized);
    for (qsizetype done = 0; done < bytes.size();) {
        DWORD read = 0;
        const DWORD piece = DWORD(std::min<qsizetype>(bytes.size() - done, 1 << 30));
        if (!ReadFile(file, bytes.data() + done, piece, &read, nullptr) || read == 0) return {};
        done += read;
    }
    return {bytes.front(), bytes.mid(1)};
}

// What an exception code that ended the helper means.
QString crashText(DWORD code) {
    switch (code) {
        case EXCEPTION_ACCESS_VIOLATION:
            return QStringLiteral("access violation");
        case EXCEPTION_STACK_OVERFLOW:
            return QStringLiteral("stack overflow");
        case EXCEPTION_ILLEGAL_INSTRUCTION:
            return QStringLiteral("illegal instruction");
        case EXCEPTION_INT_DIVIDE_BY_ZERO:
            return QStringLiteral("division by zero");
        case 0xC0000409:
            return QStringLiteral("stack buffer overrun");
        default:
            return QStringLiteral("exception 0x%1").arg(code, 8, 16, QLatin1Char('0'));
    }
}

// Reads the helper's messages on a thread of its own until the pipe ends,
// and wakes the caller once they pass the limit.
class MessageReader {
public:
    MessageReader(HANDLE pipe, qsizetype limit)
        : pipe_(pipe), limit_(limit), flooded_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
        if (!flooded_.get()) throw Error(QStringLiteral("cannot create an event: %1").arg(systemMessage()));
        thread_ = std::thread([this] { read(); });
    }
    ~MessageReader() {
        if (thread_.joinable()) thread_.join();
    }
    HANDLE flooded() const { return flooded_.get(); }
    // Waits for the end of the pipe, which comes once every process holding
    // its other end has ended.
    QByteArray finish() {
        thread_.join();
        return messages_;
    }

private:
    void read() {
        char chunk[16384];
        DWORD n = 0;
        while (ReadFile(pipe_, chunk, sizeof chunk, &n, nullptr) && n > 0) {
            const std::lock_guard lock(mutex_);
            messages_.append(chunk, n);
            if (messages_.size() > limit_) SetEvent(flooded_.get());
        }
    }

    HANDLE pipe_;
    qsizetype limit_;
    Handle flooded_;
    std::mutex mutex_;
    QByteArray messages_;
    std::thread thread_;
};

struct Helper {
    Handle process;
    Handle job;
};

// Starts the helper suspended, puts it in a job that ends it with the job's
// last handle, and lets it run.
Helper start(const QString& program, const QStringList& arguments, HANDLE result, HANDLE messages) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    const Handle input(
        CreateFileW(L"NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, OPEN_EXISTING, 0, nullptr));
    if (!input.get()) throw Error(QStringLiteral("cannot open NUL: %1").arg(systemMessage()));

    // Only these handles go to the helper, not those of other helpers that
    // other threads start at the same time.
    HANDLE inherited[] = {input.get(), messages, result};
    SIZE_T attributeSize = 0;
    InitializeProcThreadAttributeList(nullptr, 1, 0, &attributeSize);
    std::vector<char> attributeStorage(attributeSize);
    auto* attributes = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(attributeStorage.data());
    if (!InitializeProcThreadAttributeList(attributes, 1, 0, &attributeSize) ||
        !UpdateProcThreadAttribute(attributes, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST, inherited, sizeof inherited,
                                   nullptr, nullptr))
        throw Error(QStringLiteral("cannot prepare the start of %1: %2").arg(program, systemMessage()));
    STARTUPINFOEXW startup{};
    startup.StartupInfo.cb = sizeof startup;
    startup.StartupInfo.dwFlags = STARTF_USESTDHANDLES;
    startup.StartupInfo.hStdInput = input.get();
    startup.StartupInfo.hStdOutput = messages;
    startup.StartupInfo.hStdError = messages;
    startup.lpAttributeList = attributes;

    std::wstring commandLine = quoted(QDir::toNativeSeparators(program));
    for (const QString& argument : arguments) commandLine += L' ' + quoted(argument);
    std::wstring environment = environmentWith(std::wstring(kResultHandleVariable) + L'=' +
                                               std::to_wstring(reinterpret_cast<std::uintptr_t>(result)));
    const std::wstring path = QDir::toNativeSeparators(program).toStdWString();

    Helper helper;
    helper.job = Handle(CreateJobObjectW(nullptr, nullptr));
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags =
        JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE | JOB_OBJECT_LIMIT_DIE_ON_UNHANDLED_EXCEPTION;
    if (!helper.job.get() ||
        !SetInformationJobObject(helper.job.get(), JobObjectExtendedLimitInformation, &limits, sizeof limits))
        throw Error(QStringLiteral("cannot create a job for %1: %2").arg(program, systemMessage()));

    PROCESS_INFORMATION started{};
    const BOOL created =
        CreateProcessW(path.c_str(), commandLine.data(), nullptr, nullptr, TRUE,
                       CREATE_SUSPENDED | CREATE_NO_WINDOW | CREATE_UNICODE_ENVIRONMENT | EXTENDED_STARTUPINFO_PRESENT,
                       environment.data(), nullptr, &startup.StartupInfo, &started);
    const QString failure = created ? QString() : systemMessage();
    DeleteProcThreadAttributeList(attributes);
    if (!created) throw Error(QStringLiteral("cannot start %1: %2").arg(program, failure));
    helper.process = Handle(started.hProcess);
    const Handle thread(started.hThread);
    if (!AssignProcessToJobObject(helper.job.get(), started.hProcess)) {
        const QString reason = systemMessage();
        TerminateProcess(started.hProcess, 1);
        throw Error(QStringLiteral("cannot contain %1 in a job: %2").arg(program, reason));
    }
    ResumeThread(started.hThread);
    return helper;
}

}  // namespace

ContainedOutcome runContained(const QString& program, const QStringList& arguments, const ContainedLimits& limits) {
    const Handle result(resultFile());
    HANDLE readEnd = nullptr;
    HANDLE writeEnd = nullptr;
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0))
        throw Error(QStringLiteral("cannot create a pipe: %1").arg(systemMessage()));
    const Handle messages(readEnd);
    Handle messagesIn(writeEnd);
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    const Helper helper = start(program, arguments, result.get(), messagesIn.get());
    messagesIn.reset();

    ContainedOutcome outcome;
    MessageReader reader(messages.get(), limits.maxMessageBytes);
    const HANDLE waitFor[] = {helper.process.get(), reader.flooded()};
    QElapsedTimer clock;
    clock.start();
    const DWORD woken = WaitForMultipleObjects(2, waitFor, FALSE, DWORD(qMax<qint64>(0, limits.timeoutMs)));
    if (woken == WAIT_OBJECT_0 + 1) {
        outcome.end = ContainedOutcome::End::Flooded;
    } else if (woken != WAIT_OBJECT_0) {
        outcome.end = ContainedOutcome::End::TimedOut;
    }
    // Whatever the helper started goes with it, and with them the last
    // writers of the message pipe.
    TerminateJobObject(helper.job.get(), 1);
    WaitForSingleObject(helper.process.get(), INFINITE);
    outcome.messages = reader.finish();
    if (outcome.end == ContainedOutcome::End::Finished && outcome.messages.size() > limits.maxMessageBytes)
        outcome.end = ContainedOutcome::End::Flooded;
    outcome.messages.truncate(limits.maxMessageBytes);
    splitSteps(outcome);
    if (outcome.end != ContainedOutcome::End::Finished) return outcome;

    DWORD status = 0;
    GetExitCodeProcess(helper.process.get(), &status);
    Frame frame = frameOf(result.get());
    if (status >= 0xC0000000) {
        outcome.end = ContainedOutcome::End::Crashed;
        outcome.crash = crashText(status);
    } else {
        judgeExit(outcome, int(status), frame.tag, std::move(frame.content));
    }
    return outcome;
}

int serveContained(quint64 extraAddressSpace,
                   const std::function<void(const ContainedStep&, const ContainedOutput&)>& work) {
    // A crash ends the helper at once, without a box asking what to do.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
    wchar_t handleText[32] = {};
    if (GetEnvironmentVariableW(kResultHandleVariable, handleText, DWORD(std::size(handleText))) == 0)
        return kNoResultExit;
    const HANDLE result = reinterpret_cast<HANDLE>(std::uintptr_t(std::wcstoull(handleText, nullptr, 10)));

    // The memory the helper may commit: what it holds now and the extra.
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof counters);
    if (const HANDLE job = CreateJobObjectW(nullptr, nullptr)) {
        JOBOBJECT_EXTENDED_LIMIT_INFORMATION memory{};
        memory.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_PROCESS_MEMORY;
        memory.ProcessMemoryLimit = SIZE_T(counters.PrivateUsage + extraAddressSpace);
        if (SetInformationJobObject(job, JobObjectExtendedLimitInformation, &memory, sizeof memory))
            AssignProcessToJobObject(job, GetCurrentProcess());
    }

    const HANDLE messages = GetStdHandle(STD_ERROR_HANDLE);
    const auto noteStep = [messages](const QString& step) {
        std::fflush(stderr);
        const QByteArray line = stepNote(step);
        writeAll(messages, line.constData(), line.size());
    };
    return serveFrame({[result](const char* data, qsizetype size) { return writeAll(result, data, size); },
                       [result] { return seek(result, 1) && SetEndOfFile(result); },
                       [result](char tag) { return seek(result, 0) && writeAll(result, &tag, 1); }},
                      noteStep, work);
}

}  // namespace tallomar::mdb
