// cramfs: whether a file can go into the root area, and what its bytes hold.
#include <iostream>

#include "cli/Commands.h"
#include "cli/Output.h"

namespace stellmark::cli {

namespace {
void Print(const std::string& file, const ops::CramfsFile& checked, bool json)
{
    if (json) {
        PrintJson({{"file", file},
                   {"size", SizeJson(checked.size)},
                   {"fits", checked.fits},
                   {"verdict", ops::CramfsVerdict(checked.size)},
                   {"cramfs", FindingsJson(checked.findings)}});
        return;
    }
    std::cout << ops::CramfsVerdict(checked.size) << "\n";
    for (const auto& line : checked.findings.Lines())
        std::cout << line << "\n";
}

int CramfsOne(const Call& call, const std::string& file)
{
    if (!ops::FileExists(file))
        return Missing(file);
    auto checked = ops::CheckCramfsFile(file);
    Print(file, checked, call.Has("json"));
    return checked.Sound() ? kOk : kRefused;
}
}  // namespace

int Cramfs(const Call& call) { return ForEachFile(call, CramfsOne); }

}  // namespace stellmark::cli
