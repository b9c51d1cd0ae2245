// An exception that escapes every handler ends the program through the crash handlers.
// The library's own verbose handler would bring a whole symbol demangler into the program
// for a message that a GUI program cannot show anyway.
#include "platform/crash_guard.h"

namespace __gnu_cxx {
void __verbose_terminate_handler() {
    tk::platform::EndUnexpectedly("an exception that nothing handled");
}
}  // namespace __gnu_cxx
