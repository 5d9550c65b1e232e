// The end-to-end tests run under Wine: vorda_e2e --vorda-exe=<path>
// --probe-exe=<path> [--screenshot-dir=<dir>] [GoogleTest options].
#include <gtest/gtest.h>

#include "driver.h"

int wmain(int argc, wchar_t** argv) {
    vorda::e2e::parseArguments(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    const auto& s = vorda::e2e::settings();
    if (s.vordaExe.empty() || s.probeExe.empty()) {
        fprintf(stderr, "usage: vorda_e2e --vorda-exe=<vorda.exe> --probe-exe=<vorda_probe.exe>\n");
        return 2;
    }
    if (!s.screenshotDir.empty()) CreateDirectoryW(s.screenshotDir.c_str(), nullptr);
    return RUN_ALL_TESTS();
}
