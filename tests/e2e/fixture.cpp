#include "fixture.h"

namespace vorda::e2e {

App& AppTest::launch(const std::wstring& exe) {
    // The real pointer rests in a corner no window covers, so that no real
    // mouse move reaches a control in the middle of a posted press or drag.
    SetCursorPos(0, 0);
    apps_.push_back(std::make_unique<App>(exe));
    apps_.back()->start();
    return *apps_.back();
}

void AppTest::TearDown() {
    if (HasFailure() && !apps_.empty()) {
        App& app = *apps_.back();
        const std::wstring shot = app.path(L"failure.png");
        if (screenshot(shot))
            ADD_FAILURE() << "screen at the failure: " << utf8(shot);
        for (auto& a : apps_) {
            a->keepDirectory();
            ADD_FAILURE() << "program directory kept: " << utf8(a->dir());
        }
    }
    apps_.clear();
}

}  // namespace vorda::e2e
