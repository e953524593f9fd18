#include "errors/Proc.h"

#include <tuple>

namespace stellmark {

std::pair<std::string, std::string> Proc::SplitSignature(std::string_view signature)
{
    std::string module, name;
    std::string_view rest = signature;
    if (rest.starts_with('[')) {
        auto close = rest.find(']');
        if (close != std::string_view::npos) {
            module = rest.substr(1, close - 1);
            rest.remove_prefix(close + 1);
        }
    }
    auto skip = [&](std::string_view word) {
        while (rest.starts_with(' '))
            rest.remove_prefix(1);
        if (rest.starts_with(word) && rest.size() > word.size() && rest[word.size()] == ' ') {
            rest.remove_prefix(word.size());
            return true;
        }
        return false;
    };
    // Scope, then the kind of procedure; whatever stands then up to "(" is the name.
    while (skip("Private") || skip("Public") || skip("Friend") || skip("Static")) {}
    if (skip("Property"))
        skip("Get") || skip("Let") || skip("Set");
    else
        skip("Sub") || skip("Function");
    while (rest.starts_with(' '))
        rest.remove_prefix(1);
    name = rest.substr(0, rest.find_first_of("( "));
    return {module, name};
}

Proc::Proc(std::string_view signature, std::initializer_list<Param> params, Handler handler)
    : handler_(handler)
{
    std::tie(module_, name_) = SplitSignature(signature);
    auto& panne = frmPanne::Instance();
    panne.CallStack(std::string(signature));
    for (auto it = std::rbegin(params); it != std::rend(params); ++it)
        panne.CallStackParam(it->name, it->text);
}

int16_t Proc::Report(const Failure& failure)
{
    if (handler_ == Handler::Silent)
        return kLeave;
    auto& panne = frmPanne::Instance();
    panne.SetHandledFailure(failure);
    int16_t choice = panne.OnError(module_, name_, 255);
    if (choice == kEnd) {
        panne.EndProgram();
        return kLeave;  // only reached where the exit function was replaced (tests)
    }
    return choice;
}

bool Proc::Handle(const Failure& failure)
{
    switch (Report(failure)) {
    case kRetry: return true;
    case kNext: skipped_ = true; return false;
    default: throw Leave{this};
    }
}

}  // namespace stellmark
