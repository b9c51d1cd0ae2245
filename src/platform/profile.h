#pragma once
// Step timings of one run, for the benchmark build only (CMake option TK_PROFILE, off by
// default). Each Mark ends the step that began at the one before; Report hands one line
// per step, then the total, to the writer. Without the option every function here is an
// empty inline one, and nothing of it is left in the program.
#include <string_view>

namespace tk::platform::profile {

using Writer = void (*)(std::string_view text);

#ifdef TK_PROFILE
// Ends the first step, from the process's creation to this call.
void Start();
// A step with a number is shown as "step number" (the files).
void Mark(std::string_view step, int number = -1);
void Report(Writer write);
#else
inline void Start() {}
inline void Mark(std::string_view, int = -1) {}
inline void Report(Writer) {}
#endif

}  // namespace tk::platform::profile
