#include "platform/access/contained_protocol.h"

#include "platform/error.h"

#include <cstdio>
#include <new>

namespace tallomar::mdb::contained {

void splitSteps(ContainedOutcome& outcome) {
    QByteArray messages;
    QByteArray step;
    bool found = false;
    for (const QByteArray& line : outcome.messages.split('\n')) {
        if (line.startsWith(kStepMark)) {
            if (!found) step = line.mid(1);
        } else if (!line.isEmpty()) {
            found = true;
            messages.append(line).append('\n');
        }
    }
    outcome.messages = messages;
    outcome.step = QString::fromUtf8(step);
}

void judgeExit(ContainedOutcome& outcome, int exitStatus, char tag, QByteArray content) {
    if (exitStatus == kOutOfMemoryExit) {
        outcome.end = ContainedOutcome::End::OutOfMemory;
    } else if (exitStatus == 0 && tag == kResultTag) {
        outcome.result = std::move(content);
    } else if (exitStatus == 0 && tag == kFailureTag) {
        outcome.end = ContainedOutcome::End::Failed;
        outcome.failure = QString::fromUtf8(content);
    } else {
        outcome.end = ContainedOutcome::End::Crashed;
    }
}

QByteArray stepNote(const QString& step) {
    return kStepMark + step.toUtf8() + '\n';
}

int serveFrame(const FrameFile& file, const ContainedStep& noteStep,
               const std::function<void(const ContainedStep&, const ContainedOutput&)>& work) {
    bool written = file.append(&kPendingTag, 1);
    const auto output = [&written, &file](const QByteArray& piece) {
        written = written && file.append(piece.constData(), piece.size());
    };
    char tag = kResultTag;
    try {
        work(noteStep, output);
    } catch (const Error& error) {
        tag = kFailureTag;
        const QByteArray message(error.what());
        written = file.dropContent() && file.append(message.constData(), message.size());
    } catch (const std::bad_alloc&) {
        return kOutOfMemoryExit;
    }
    std::fflush(stdout);
    std::fflush(stderr);
    return written && file.setTag(tag) ? 0 : kNoResultExit;
}

}  // namespace tallomar::mdb::contained
