#pragma once
// The plan of every action, decided before any output is chosen: range, data files, proposed
// name or refusal.
#include <cstdint>
#include <string>

#include "operations/DataFileLookup.h"
#include "operations/Texts.h"

namespace stellmark::ops {

// What Start does for an action, decided before the save dialog.
struct Plan {
    enum Kind { Write, Refuse, Nothing } kind = Nothing;
    std::string initialName;          // proposed in the save dialog
    int64_t first = 0, last = 0;      // 1-based source positions, both included
    std::string prevFile, prevFile1;  // data-file paths written in front, or empty
    bool exactEnd = false;            // last 1 means the first byte, not the end of the source
    bool wide = false;                // positions beyond 32 bits (the command line's range)
    Message refusal;                  // for Refuse
};

// The expert inputs as the window holds them.
struct ExpertInput {
    std::string start;      // txtStart
    std::string end;        // txtEnde
    int64_t imageSize = 0;  // lngImageSize, as last measured
    bool wide = false;      // 64-bit positions (GetPosition), as the command line takes them
};

// Plans the action for an image of the given class. Calls CreateFileName (building actions) and
// GetInputValue (expert action), which report themselves like every procedure. A build takes its
// data files from `dataFiles`.
Plan PlanAction(const std::string& actionText, int32_t imageClass, const std::string& sourcePath,
                const DataFiles& dataFiles, const ExpertInput& expert = {});

}  // namespace stellmark::ops
