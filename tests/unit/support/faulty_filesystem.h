#pragma once
// Wraps another FileSystem and counts every call on it as one step, so a test
// can make one step fail, or stop the world at a step as a crash or power loss
// would.
#include <string>
#include <vector>

#include "platform/filesystem.h"

namespace vorda::testing {

class FaultyFileSystem : public platform::FileSystem {
public:
    explicit FaultyFileSystem(platform::FileSystem& inner) : inner_(inner) {}

    // Step n (1-based, counted from the last reset) fails and does nothing;
    // the others pass through. A failing exists cannot tell, so it says the
    // file is there.
    void failStep(int n);
    // Steps n, n+1, ... fail and do nothing. A writeAll at step n leaves the
    // first half of its bytes behind, as a torn write would.
    void crashAtStep(int n);
    // No faults; counting starts again.
    void reset();

    int steps() const { return steps_; }
    // One line per step: "writeAll <path>", "replace <from> -> <to>", ...
    const std::vector<std::string>& log() const { return log_; }

    bool exists(const std::string& path) override;
    bool readAll(const std::string& path, std::string& out) override;
    bool writeAll(const std::string& path, std::string_view bytes) override;
    bool replace(const std::string& from, const std::string& to) override;
    bool remove(const std::string& path) override;
    bool setAttributes(const std::string& path, std::uint32_t attributes) override;
    std::optional<std::uint32_t> attributes(const std::string& path) override;
    std::unique_ptr<platform::FileLock> tryLock(const std::string& path) override;

private:
    // Counts a step; true when it must fail.
    bool step(std::string what);
    bool crashedAt(int n) const { return crashStep_ > 0 && n >= crashStep_; }

    platform::FileSystem& inner_;
    int steps_ = 0;
    int failStep_ = 0;
    int crashStep_ = 0;
    std::vector<std::string> log_;
};

}  // namespace vorda::testing
