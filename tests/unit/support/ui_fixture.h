#pragma once
// Tests of windows run on a MemoryBackend; whatever its script caught (an
// unexpected or mismatching dialog, a click the user could not make) fails the
// test.
#include <gtest/gtest.h>

#include <string>

#include "ui/memory/memory_backend.h"

namespace vorda::testing {

class UiTest : public ::testing::Test {
protected:
    void TearDown() override { expectScriptDone(); }

    // Every expected dialog came and nothing went wrong so far.
    void expectScriptDone();
    // The program's next run: checks this run's script, then starts afresh.
    void restartProgram() {
        expectScriptDone();
        ui.reset();
    }

    ui::MemoryBackend ui;
};

// GBK bytes as UTF-8, for readable failure output.
std::string u8(const std::string& gbk);

}  // namespace vorda::testing
