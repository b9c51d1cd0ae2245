// The handler the C run-time asks when a math function meets an error. The library's own
// writes a line to the standard error stream, which a program with a window does not have,
// and brings its message texts along; this one answers as that one does after its line:
// 0, so the function sets errno and returns its usual value. The installer itself makes no
// floating-point computation.
#include <math.h>

extern "C" int _matherr(struct _exception*) {
    return 0;
}
