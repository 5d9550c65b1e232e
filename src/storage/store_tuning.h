#pragma once
// Knobs of the record store that tests and tools turn; the program keeps the
// defaults.
#include <chrono>

namespace vorda::storage {

// PBKDF2-SHA256 iterations for files created or re-protected from now on. Files
// keep the count they were written with, so a cheap count in tests only makes
// the tests' own files cheap. Values below 1 restore the default.
inline constexpr int kDefaultKdfIterations = 200'000;
void setKdfIterationsForNewFiles(int iterations);
int kdfIterationsForNewFiles();

// How long open and create wait for another process to let go of a store.
inline constexpr std::chrono::milliseconds kDefaultLockWait{1000};
void setLockWait(std::chrono::milliseconds wait);

}  // namespace vorda::storage
