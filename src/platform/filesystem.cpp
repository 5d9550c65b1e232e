#include "platform/filesystem.h"

namespace vorda::platform {

namespace {
FileSystem* installed = nullptr;
}

FileSystem& fileSystem() { return installed ? *installed : realFileSystem(); }

void setFileSystem(FileSystem* fs) { installed = fs; }

}  // namespace vorda::platform
