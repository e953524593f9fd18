#pragma once
// Temporary outputs that an abrupt end of the program must not leave behind: the failure
// handler's "end the program", and SIGINT, SIGTERM or SIGHUP in the middle of a copy.
//
// The register is read from a signal handler, so it is a fixed set of slots written only by the
// thread that copies; a handler may run on any thread and reads a slot only once it is marked.
#include <string>

namespace stellmark::pending {

// Registers a temporary path; false when every slot is taken (the caller then refuses to write).
bool Add(const std::string& path);
void Remove(const std::string& path);
// Removes every registered file. Async-signal-safe.
void UnlinkAll() noexcept;

// From now on SIGINT, SIGTERM and SIGHUP remove the registered files and end the process at once
// with 128 + the signal's number: nothing else of the program runs, no setting is written. A
// signal that was ignored when the program started stays ignored.
void EndOnSignals();

}  // namespace stellmark::pending
