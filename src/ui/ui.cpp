#include "ui/ui.h"

#include "text/gbk.h"

namespace vorda::ui {

const std::string& defaultMessageTitle() { return GBK("信息："); }

}  // namespace vorda::ui
