#include "errors/Proc.h"

namespace stellmark {

Proc::Proc(std::string_view module, std::string_view name, std::string_view signature,
           std::initializer_list<Param> params, Handler handler)
    : module_(module), name_(name), handler_(handler)
{
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
