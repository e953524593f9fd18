#pragma once
// The data files for the front ends: located once from the folders the front end names, in its
// order (an option, the program's folder, ...), then passed to every operation that needs them.
#include <string>
#include <vector>

#include "core/DataFiles.h"

namespace stellmark::ops {

using modMain::DataFiles;
using modMain::DataFileState;
using modMain::kDataFileNames;
inline DataFiles LocateDataFiles(const std::vector<std::string>& candidateFolders)
{
    return modMain::Locate(candidateFolders);
}

}  // namespace stellmark::ops
