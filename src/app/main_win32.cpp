// Program entry: the Win32 backend, the skin setup, the sign-in window, the
// message loop. The program takes no command line.
#include <windows.h>

#include "signin/program_start.h"
#include "storage/store_files.h"
#include "skin/host/skin_setup_win32.h"
#include "ui/win32/win32_backend.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    vorda::storage::prepareStoreKeysInBackground();
    vorda::ui::Win32Backend backend;
    vorda::skinhost::installWin32SkinSetup(backend);
    vorda::signin::startProgram(backend);
    return backend.run();
}
