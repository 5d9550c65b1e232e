#pragma once
// libgcrypt behind the store: key derivation with a per-process key cache, and
// AES-256-GCM sealing of a file body.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "storage/store_format.h"

namespace vorda::storage::crypto {

inline constexpr std::size_t kKeySize = 32;
using Key = std::array<std::uint8_t, kKeySize>;

// Initialises libgcrypt once; false when it cannot be used.
bool ready();

void randomSalt(std::array<std::uint8_t, format::kSaltSize>& salt);
void randomNonce(std::array<std::uint8_t, format::kNonceSize>& nonce);

// The key for password, salt and iteration count. Derived once per process and
// then served from a small cache. False when derivation fails. Safe to call
// from several threads; a caller asking for a key another thread is making
// waits for that one.
bool deriveKey(std::string_view password, const std::array<std::uint8_t, format::kSaltSize>& salt,
               std::uint32_t iterations, Key& out);
// Forgets every cached key (benchmarks measure a first open with it).
void clearKeyCache();
// How many derivations ran since the process started.
std::uint64_t derivationCount();

// Encrypts body in place and writes the tag; associated is authenticated only.
bool seal(const Key& key, const std::array<std::uint8_t, format::kNonceSize>& nonce,
          std::string_view associated, char* body, std::size_t size, std::uint8_t* tag);
// Decrypts body in place and checks the tag. On false the body holds garbage
// (already wiped).
bool unseal(const Key& key, const std::array<std::uint8_t, format::kNonceSize>& nonce,
            std::string_view associated, char* body, std::size_t size, const std::uint8_t* tag);

// Overwrites memory with zeros in a way the compiler keeps.
void wipe(void* p, std::size_t n);

}  // namespace vorda::storage::crypto
