#pragma once

#include "platform/access/contained_run.h"

// What runContained and serveContained agree on, on every system: the
// helper's result frame (a tag byte, then the content) and its exit
// statuses (not 3, which the C runtime's abort() ends a program with on
// Windows), and the step notes in its message stream.
namespace tallomar::mdb::contained {

// Step notes go in the message stream, so that each message is put down to
// the step it came in; no message starts with this byte.
inline constexpr char kStepMark = '\x01';
inline constexpr char kResultTag = 'R';
inline constexpr char kFailureTag = 'E';
// The byte the frame starts with until the work has ended, so that a helper
// that dies midway never leaves a frame that reads as a result.
inline constexpr char kPendingTag = 0;
inline constexpr int kOutOfMemoryExit = 70;
inline constexpr int kNoResultExit = 71;

// Takes the step notes out of outcome.messages; the step is the one the
// first message came in, or the last one.
void splitSteps(ContainedOutcome& outcome);

// The outcome of a helper that ended by itself with `exitStatus`, having
// left the frame `tag` + `content`.
void judgeExit(ContainedOutcome& outcome, int exitStatus, char tag, QByteArray content);

// The line that notes `step` in the message stream.
QByteArray stepNote(const QString& step);

// The helper's end of the frame, on the file the system handed it.
struct FrameFile {
    std::function<bool(const char* data, qsizetype size)> append;
    std::function<bool()> dropContent;  // the next append follows the tag
    std::function<bool(char tag)> setTag;
};

// Runs `work` with its output going into the frame behind the pending tag;
// a refusal (Error) replaces the output by its message, and the tag is set
// once the work has ended. Returns the helper's exit status.
int serveFrame(const FrameFile& file, const ContainedStep& noteStep,
               const std::function<void(const ContainedStep&, const ContainedOutput&)>& work);

}  // namespace tallomar::mdb::contained
