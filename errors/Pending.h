#pragma once
// Temporary outputs that an abrupt end of the program must not leave behind: the failure
// handler's "end the program", and any signal that would end the process in the middle of a copy.
//
// The register is read from a signal handler, so it is a fixed set of slots written only by the
// thread that copies; a handler may run on any thread and reads a slot only once it is marked.
#include <csignal>
#include <string>

namespace stellmark::pending {

// Registers a temporary path; false when every slot is taken (the caller then refuses to write).
bool Add(const std::string& path);
void Remove(const std::string& path);
// Removes every registered file. Async-signal-safe.
void UnlinkAll() noexcept;

// From now on every signal that would end the process (interrupt, quit, hang-up, termination,
// the user and timer signals, a broken pipe) removes the registered files and ends the process
// at once with 128 + the signal's number: nothing else of the program runs, no setting is
// written. A crash (SIGSEGV, SIGABRT, ...) removes them too and then ends as it would have. A
// signal that was ignored when the program started stays ignored. SIGXFSZ is ignored: a write
// past the file-size limit then fails as a write, and the output is discarded like any other.
void EndOnSignals();

// Holds those signals back while it lives: a step that changes what is registered and what
// stands on disk together (a name taken, then registered) is never seen half done.
class Hold {
public:
    Hold();
    ~Hold();
    Hold(const Hold&) = delete;
    Hold& operator=(const Hold&) = delete;

private:
    sigset_t old_;
};

}  // namespace stellmark::pending
