#pragma once
// The base of every end-to-end test: programs it starts are ended at the end
// of the test, and a failing test leaves a screenshot and the program's
// directory behind, named in the failure output.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "driver.h"

namespace vorda::e2e {

class AppTest : public ::testing::Test {
protected:
    // A copy of exe in a fresh directory, started.
    App& launch(const std::wstring& exe);
    void TearDown() override;

    std::vector<std::unique_ptr<App>> apps_;
};

}  // namespace vorda::e2e
