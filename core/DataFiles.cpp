#include "core/DataFiles.h"

#include <cstdio>
#include <sys/stat.h>

#include "errors/Proc.h"
#include "files/wsFiles.h"

namespace stellmark::modMain {

namespace {
std::string HexSize(int64_t size)
{
    char text[48];
    std::snprintf(text, sizeof text, "0x%08llX [%lld] Bytes", static_cast<unsigned long long>(size),
                  static_cast<long long>(size));
    return text;
}
}  // namespace

std::vector<std::string> DataFiles::Missing() const
{
    std::vector<std::string> names;
    for (std::size_t i = 0; i < states.size(); ++i)
        if (states[i].is != DataFileState::Is::File)
            names.emplace_back(kDataFileNames[i]);
    return names;
}

std::string DataFiles::Path(layout::DataFile file) const
{
    switch (file) {
    case layout::DataFile::File1zu2: return file1zu2;
    case layout::DataFile::File2zu1: return file2zu1;
    case layout::DataFile::Boot: return fileBoot;
    case layout::DataFile::None: break;
    }
    return {};
}

std::string DataFiles::Problem(std::size_t index) const
{
    const DataFileState& s = states.at(index);
    switch (s.is) {
    case DataFileState::Is::Missing: return "fehlt";
    case DataFileState::Is::Folder: return "ist ein Ordner";
    case DataFileState::Is::NotRegular: return "ist keine normale Datei";
    case DataFileState::Is::File: break;
    }
    if (s.size == layout::kBlockSize)
        return {};
    return "ist " + HexSize(s.size) + " lang statt " + HexSize(layout::kBlockSize);
}

const char* DataFileName(layout::DataFile file)
{
    switch (file) {
    case layout::DataFile::File1zu2: return kDataFileNames[0];
    case layout::DataFile::File2zu1: return kDataFileNames[1];
    case layout::DataFile::Boot: return kDataFileNames[2];
    case layout::DataFile::None: break;
    }
    return "";
}

DataFiles LookIn(const std::string& folder)
{
    DataFiles files;
    // An empty name is the working folder, never "no folder at all".
    files.folder = wsFiles::IsSlash(folder.empty() ? "." : folder);
    for (std::size_t i = 0; i < files.states.size(); ++i) {
        struct stat st {};
        auto& state = files.states[i];
        // Links are followed, as opening the file follows them; any failed look-up is "missing".
        if (::stat((files.folder + kDataFileNames[i]).c_str(), &st) != 0)
            continue;
        state.is = S_ISREG(st.st_mode)   ? DataFileState::Is::File
                   : S_ISDIR(st.st_mode) ? DataFileState::Is::Folder
                                         : DataFileState::Is::NotRegular;
        if (state.is == DataFileState::Is::File)
            state.size = st.st_size;
    }
    if (files.Missing().empty()) {
        files.file1zu2 = files.folder + kDataFileNames[0];
        files.file2zu1 = files.folder + kDataFileNames[1];
        files.fileBoot = files.folder + kDataFileNames[2];
    }
    return files;
}

DataFiles Locate(const std::vector<std::string>& candidateFolders)
{
    std::vector<DataFiles> looked;
    for (const auto& folder : candidateFolders) {
        looked.push_back(LookIn(folder));
        if (looked.back().Found())
            return looked.back();
    }
    for (const auto& files : looked)
        if (files.Missing().size() < files.states.size())
            return files;
    return looked.empty() ? DataFiles{} : looked.front();
}

std::string FileCheck(const DataFiles& files)
{
    Proc p("[modMain] Function FileCheck() As String");
    std::string result;
    return p.Run(result, [&] {
        std::string missing;
        for (const auto& name : files.Missing())
            missing += name + "\r\n";
        result = missing.empty() ? "ok" : missing + "\r\nkonnten nicht gefunden werden!";
    });
}

}  // namespace stellmark::modMain
