#pragma once
// The code every procedure carries: it reports its entry, runs its body as steps, and answers a
// failing step as the user chooses (again, next, leave, end) or, silently, by leaving at once.
//
//   int32_t ImageTest(const std::string& strSource) {
//       Proc p("[modMain] Function ImageTest(...) As Long",
//              {{"strSource", strSource}});
//       int32_t result = 0;
//       return p.Run(result, [&] {
//           p.Step([&] { file.OpenRead(strSource); });
//           ...
//       });
//   }
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>

#include "errors/Failure.h"
#include "errors/TraceValue.h"
#include "errors/frmPanne.h"

namespace stellmark {

enum class Handler { Standard, Silent };

// A parameter as reported on entry: its name and its value text, taken when the call is made.
struct Param {
    template <class T>
    Param(const char* n, const T& v) : name(n), text(ValueText(v))
    {
    }
    const char* name;
    std::string text;
};

class Proc {
public:
    // Reports the entry: the signature line, then the parameters last-first, so that they read
    // in declaration order under it. Module and name are read off the signature
    // ("[modMain] Function ImageTest(...)"), so the trace and the handler cannot disagree.
    explicit Proc(std::string_view signature, std::initializer_list<Param> params = {},
                  Handler handler = Handler::Standard);
    Proc(std::string_view signature, Handler handler) : Proc(signature, {}, handler) {}

    Proc(const Proc&) = delete;
    Proc& operator=(const Proc&) = delete;

    // Runs one step. True when it ran through; false when the user chose to skip it. A choice to
    // leave unwinds to Run. `line` defaults to the caller's source line, shown as the failing line.
    template <class F>
    bool Step(F&& f, int line = __builtin_LINE())
    {
        for (;;) {
            try {
                f();
                return true;
            } catch (Failure& failure) {
                if (failure.Line() == 0)
                    failure.SetLine(line);
                if (!Handle(failure))
                    return false;
            } catch (const std::exception& other) {
                // Whatever the standard library throws is a failure like any other.
                if (!Handle(AsFailure(other, line)))
                    return false;
            }
        }
    }

    // Runs the body and returns the result it holds, also when a step chose to leave.
    template <class R, class Body>
    R Run(R& held, Body&& body)
    {
        RunBody(std::forward<Body>(body));
        return held;
    }

    template <class Body>
    void Run(Body&& body)
    {
        RunBody(std::forward<Body>(body));
    }

    // True when some step of this call was skipped by the user's choice.
    bool AnySkipped() const { return skipped_; }

    const std::string& Module() const { return module_; }
    const std::string& Name() const { return name_; }

    // The module between the brackets and the procedure's name in its declaration line.
    static std::pair<std::string, std::string> SplitSignature(std::string_view signature);

private:
    struct Leave {
        const Proc* owner;
    };

    template <class Body>
    void RunBody(Body&& body)
    {
        try {
            body();
        } catch (const Leave& leave) {
            if (leave.owner != this)
                throw;
        } catch (Failure& stray) {
            // A failure outside any step can only be left; the user is told all the same.
            Report(stray);
        } catch (const std::exception& stray) {
            Report(AsFailure(stray));
        }
    }

    // Asks for the continuation. True: run the step again. False: skip it. Leaving throws.
    bool Handle(const Failure& failure);
    int16_t Report(const Failure& failure);

    std::string module_;
    std::string name_;
    Handler handler_;
    bool skipped_ = false;
};

}  // namespace stellmark
