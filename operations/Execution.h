#pragma once
// Carrying out a plan, and the whole road of Start for both front ends.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "errors/Proc.h"
#include "files/BinaryFile.h"
#include "operations/Plans.h"

namespace stellmark::ops {

// Carries out a planned write to `output` as steps of the calling procedure `owner`: refuses
// an output that is the source or a data file (in any spelling) or no regular file, then calls
// CopyFile once, which gives the result the name in one step (replacing an old file only as
// `overwrite` allows).
struct Outcome {
    enum Kind {
        Written,
        Refused,     // message says why; nothing touched
        Failed,      // a failure was left
        Cancelled,   // no output chosen
        Nothing,     // not an action text
        NotWritten,  // a failed step was skipped, so the output was not written; message says so
        Exists,      // Overwrite::Refuse and the name is taken
    } kind = Failed;
    Message message;  // for Refused and NotWritten
    // For Written: what the user should be told about a replaced file, one German line each
    // (what of it was not kept, hard links that keep the old content, an owner that changed).
    std::vector<std::string> notes = {};
};
// What must hold before anything is written to `output`, as the outcome to return when it does
// not: none of `inputs` is the output, the output is nothing that may never be written (a data
// file, a folder, a device, ...), and under Overwrite::Refuse nothing stands under its name.
// Nothing when the write may begin.
std::optional<Outcome> GuardOutput(const std::vector<std::string>& inputs, const std::string& output,
                                   const DataFiles& dataFiles, Overwrite overwrite);

Outcome Execute(const Plan& plan, const DataFiles& dataFiles, const std::string& source,
                const std::string& output, Overwrite overwrite = Overwrite::Replace);

// The whole road of Start, for both front ends: classify the source (unless the class is
// given), plan the action, refuse or ask for the output path with the proposed name, execute.
struct Request {
    std::string actionText;
    std::string source;
    ExpertInput expert;
    std::optional<int32_t> imageClass;  // given: no classification
    DataFiles dataFiles;                // classify, build from and never overwrite these
};
// Gets the proposed name; returns the chosen path, or the empty text when cancelled.
struct Choice {
    std::string path;  // empty: cancelled
    Overwrite overwrite = Overwrite::Replace;
};
using OutputChooser = std::function<Choice(const std::string& initialName)>;
Outcome Start(Proc& owner, const Request& request, const OutputChooser& chooseOutput);

}  // namespace stellmark::ops
