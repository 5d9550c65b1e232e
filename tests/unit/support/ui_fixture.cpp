#include "support/ui_fixture.h"

#include "text/gbk.h"

namespace vorda::testing {

void UiTest::expectScriptDone() {
    for (const std::string& problem : ui.finish()) ADD_FAILURE() << problem;
}

std::string u8(const std::string& gbk) {
    return text::utf8FromGbk(gbk);
}

}  // namespace vorda::testing
