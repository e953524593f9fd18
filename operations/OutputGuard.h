#pragma once
// What may never be written: the source itself, a data file, anything that is no regular file.
#include <optional>
#include <string>

#include "operations/DataFileLookup.h"
#include "operations/Texts.h"

namespace stellmark::ops {

// True when both paths name the same file: the same file identity where both exist, the same
// normalised absolute path otherwise.
bool SameFile(const std::string& a, const std::string& b);

// For a source to read: "'PATH' ist ein Ordner" or "'PATH' ist keine normale Datei (ein Gerät)"
// when something other than a regular file stands there (links followed); nothing for a regular
// file or for nothing at all.
std::optional<std::string> NotAFile(const std::string& path);

// Why `output` can never be written, or nothing: one of the data files, a folder, a pipe, a
// device, a socket, or a link to nothing or to such a thing.
// The data files are those in the folder `dataFiles` was looked up in, found or not.
std::optional<Message> OutputRefusal(const std::string& output, const DataFiles& dataFiles);

}  // namespace stellmark::ops
