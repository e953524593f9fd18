#pragma once
// The three data files as one value: the folder they were looked up in, their paths once all
// three are there, and what stands under each name that is not a usable file.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "core/Layout.h"

namespace stellmark::modMain {

// The three data files' names, in the order FileCheck lists them.
inline constexpr const char* kDataFileNames[] = {"1zu2.dat", "2zu1.dat", "boot.dat"};

// What stands under one data file's name.
struct DataFileState {
    enum class Is { Missing, File, Folder, NotRegular } is = Is::Missing;
    int64_t size = -1;  // File: its length
};

struct DataFiles {
    std::string folder;  // the folder looked up, ending in "/"; empty before any look-up
    // Full paths; all three empty unless all three are regular files.
    std::string file1zu2, file2zu1, fileBoot;
    std::array<DataFileState, 3> states{};  // in the order of kDataFileNames

    bool Found() const { return !file1zu2.empty(); }
    // The names that are no regular file, in the order of kDataFileNames.
    std::vector<std::string> Missing() const;
    // The path of one data file, or empty while not all three are found.
    std::string Path(layout::DataFile file) const;
    // Why the file at `index` cannot be used, as "ist ein Ordner", "fehlt", "ist keine normale
    // Datei" or its wrong length; empty when it is a file of one block.
    std::string Problem(std::size_t index) const;
};

// Looks the three names up in one folder (a relative one counts from the working folder).
DataFiles LookIn(const std::string& folder);

// The first of the folders that holds all three data files; failing that, the first that holds
// any of them, so that what is missing is said where the others lie; failing that, the first
// folder. The caller decides the folders and their order.
DataFiles Locate(const std::vector<std::string>& candidateFolders);

// "ok" when all three are regular files; else the list of the missing ones and a closing line.
std::string FileCheck(const DataFiles& files);

// The name of a data file of the layout.
const char* DataFileName(layout::DataFile file);

}  // namespace stellmark::modMain
