// The contained helper on POSIX systems: posix_spawn, an address-space
// limit the helper sets itself, the result in an in-memory file.
#include "platform/access/contained_run.h"

#include "platform/access/contained_protocol.h"
#include "platform/error.h"

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/mman.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <QElapsedTimer>
#include <QFile>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <new>
#include <vector>

extern char** environ;

namespace tallomar::mdb {

namespace {

using namespace contained;

// The helper's descriptors besides stdin, stdout and stderr.
constexpr int kResultFd = 3;

QString systemMessage() {
    return QString::fromLocal8Bit(std::strerror(errno));
}

class Descriptor {
public:
    explicit Descriptor(int fd = -1) : fd_(fd) {}
    ~Descriptor() { reset(); }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }
    void reset() {
        if (fd_ >= 0) close(fd_);
        fd_ = -1;
    }

private:
    int fd_;
};

// An anonymous in-memory file: the result is written and read in one piece
// each, unlike a pipe's 64 KiB at a time.
int memoryFile(const char* name) {
    const int fd = memfd_create(name, MFD_CLOEXEC);
    if (fd < 0) throw Error(QStringLiteral("cannot create an in-memory file: %1").arg(systemMessage()));
    return fd;
}

bool writeAll(int fd, const char* data, qsizetype size) {
    qsizetype done = 0;
    while (done < size) {
        const ssize_t n = ::write(fd, data + done, static_cast<size_t>(size - done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += n;
    }
    return true;
}

bool readAll(int fd, char* data, qsizetype size, off_t offset) {
    qsizetype done = 0;
    while (done < size) {
        const ssize_t n = pread(fd, data + done, static_cast<size_t>(size - done), offset + done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += n;
    }
    return true;
}

// The helper's frame in an in-memory file: its tag byte, then its content.
// The content is read on its own so that megabytes of tables are not moved
// again to drop the tag.
struct Frame {
    char tag = 0;
    QByteArray content;
};

Frame frameOf(int fd) {
    struct stat status {};
    Frame frame;
    if (fstat(fd, &status) != 0 || status.st_size < 1 || !readAll(fd, &frame.tag, 1, 0)) return {};
    frame.content = QByteArray(static_cast<qsizetype>(status.st_size - 1), Qt::Uninitialized);
    if (!readAll(fd, frame.content.data(), frame.content.size(), 1)) return {};
    return frame;
}

// The address space mapped now: the helper's limit is set above it.
quint64 mappedBytes() {
    FILE* statm = std::fopen("/proc/self/statm", "r");
    unsigned long long pages = 0;
    if (statm) {
        if (std::fscanf(statm, "%llu", &pages) != 1) pages = 0;
        std::fclose(statm);
    }
    return pages * static_cast<quint64>(sysconf(_SC_PAGESIZE));
}

// Appends what `fd` has to `buffer`; false at end of input.
bool drain(int fd, QByteArray& buffer) {
    char chunk[16384];
    const ssize_t n = ::read(fd, chunk, sizeof chunk);
    if (n < 0) return errno == EINTR || errno == EAGAIN;
    buffer.append(chunk, n);
    return n > 0;
}

pid_t spawn(const QString& program, const QStringList& arguments, int result, int messages) {
    const QByteArray path = QFile::encodeName(program);
    std::vector<QByteArray> storage{path};
    for (const QString& argument : arguments) storage.push_back(argument.toUtf8());
    std::vector<char*> argv;
    for (QByteArray& argument : storage) argv.push_back(argument.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, messages, STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, messages, STDERR_FILENO);
    posix_spawn_file_actions_adddup2(&actions, result, kResultFd);
    pid_t child = 0;
    const int failed = posix_spawn(&child, path.constData(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (failed != 0)
        throw Error(QStringLiteral("cannot start %1: %2").arg(program, QString::fromLocal8Bit(std::strerror(failed))));
    return child;
}

}  // namespace

ContainedOutcome runContained(const QString& program, const QStringList& arguments, const ContainedLimits& limits) {
    const Descriptor result(memoryFile("contained-result"));
    int pipeEnds[2];
    if (pipe2(pipeEnds, O_CLOEXEC) != 0) throw Error(QStringLiteral("cannot create a pipe: %1").arg(systemMessage()));
    const Descriptor messages(pipeEnds[0]);
    Descriptor messagesIn(pipeEnds[1]);
    const pid_t child = spawn(program, arguments, result.get(), messagesIn.get());
    messagesIn.reset();

    // The message pipe ends when the helper does.
    ContainedOutcome outcome;
    QElapsedTimer clock;
    clock.start();
    for (bool open = true; open;) {
        const qint64 left = limits.timeoutMs - clock.elapsed();
        if (left <= 0) {
            outcome.end = ContainedOutcome::End::TimedOut;
            break;
        }
        pollfd fds{messages.get(), POLLIN, 0};
        if (poll(&fds, 1, static_cast<int>(left)) < 0 && errno != EINTR) break;
        if (fds.revents != 0) open = drain(messages.get(), outcome.messages);
        if (outcome.messages.size() > limits.maxMessageBytes) {
            outcome.end = ContainedOutcome::End::Flooded;
            break;
        }
    }
    kill(child, SIGKILL);
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    outcome.messages.truncate(limits.maxMessageBytes);
    splitSteps(outcome);
    if (outcome.end != ContainedOutcome::End::Finished) return outcome;

    Frame frame = frameOf(result.get());
    if (WIFSIGNALED(status)) {
        outcome.end = ContainedOutcome::End::Crashed;
        outcome.crash = QString::fromLocal8Bit(strsignal(WTERMSIG(status)));
    } else {
        judgeExit(outcome, WEXITSTATUS(status), frame.tag, std::move(frame.content));
    }
    return outcome;
}

int serveContained(quint64 extraAddressSpace,
                   const std::function<void(const ContainedStep&, const ContainedOutput&)>& work) {
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    // A crash must not spend seconds writing a core file.
    const rlimit noCore{0, 0};
    setrlimit(RLIMIT_CORE, &noCore);
    const rlim_t addressSpace = mappedBytes() + extraAddressSpace;
    const rlimit memory{addressSpace, addressSpace};
    setrlimit(RLIMIT_AS, &memory);

    const auto noteStep = [](const QString& step) {
        std::fflush(stderr);
        const QByteArray line = stepNote(step);
        writeAll(STDERR_FILENO, line.constData(), line.size());
    };
    return serveFrame({[](const char* data, qsizetype size) { return writeAll(kResultFd, data, size); },
                       [] { return ftruncate(kResultFd, 1) == 0 && lseek(kResultFd, 1, SEEK_SET) == 1; },
                       [](char tag) { return pwrite(kResultFd, &tag, 1, 0) == 1; }},
                      noteStep, work);
}

}  // namespace tallomar::mdb
