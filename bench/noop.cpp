// The trivial program the whole-install benchmark measures Wine's start-up cost with.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    return 0;
}
