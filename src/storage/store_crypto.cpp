#include "storage/store_crypto.h"

#include <gcrypt.h>

#include <algorithm>
#include <condition_variable>
#include <cstdarg>
#include <cstring>
#include <mutex>
#include <vector>

#include "storage/store_tuning.h"

namespace vorda::storage {

namespace {
int newFileIterations = kDefaultKdfIterations;
}

void setKdfIterationsForNewFiles(int iterations) {
    newFileIterations = iterations < 1 ? kDefaultKdfIterations
                                       : std::min<int>(iterations, static_cast<int>(format::kMaxIterations));
}

int kdfIterationsForNewFiles() {
    return newFileIterations;
}

}  // namespace vorda::storage

namespace vorda::storage::crypto {

namespace {

// The program has no console and keeps no log; libgcrypt's notes (such as the
// entropy message under Wine) would only land on stderr.
void quietLog(void*, int, const char*, va_list) {}

bool initialise() {
    gcry_set_log_handler(quietLog, nullptr);
    if (!gcry_check_version(GCRYPT_VERSION)) return false;
    // Keys are few and wiped by hand; locked secure memory is not available
    // everywhere (and warns when it is not).
    gcry_control(GCRYCTL_DISABLE_SECMEM, 0);
    gcry_control(GCRYCTL_INITIALIZATION_FINISHED, 0);
    return true;
}

struct KeyRequest {
    std::array<std::uint8_t, 32> passwordHash;
    std::array<std::uint8_t, format::kSaltSize> salt;
    std::uint32_t iterations;
    bool operator==(const KeyRequest&) const = default;
};

struct CachedKey {
    KeyRequest request;
    Key key;
};

// A key may be made ahead on another thread (prepareKey): the cache and the
// list of keys being made are shared, and whoever needs a key being made
// waits for it instead of making it twice.
std::mutex cacheMutex;
std::condition_variable cacheChanged;
// Damaged files bring salts of their own; keep the cache small and drop the
// oldest entry first.
constexpr std::size_t kCacheSize = 16;
std::vector<CachedKey> cache;
std::vector<KeyRequest> inProgress;
std::uint64_t derivations = 0;

class Cipher {
public:
    explicit Cipher(const Key& key, const std::array<std::uint8_t, format::kNonceSize>& nonce,
                    std::string_view associated) {
        if (gcry_cipher_open(&h_, GCRY_CIPHER_AES256, GCRY_CIPHER_MODE_GCM, 0) != 0) {
            h_ = nullptr;
            return;
        }
        ok_ = gcry_cipher_setkey(h_, key.data(), key.size()) == 0 &&
              gcry_cipher_setiv(h_, nonce.data(), nonce.size()) == 0 &&
              gcry_cipher_authenticate(h_, associated.data(), associated.size()) == 0;
    }
    ~Cipher() {
        if (h_) gcry_cipher_close(h_);
    }
    Cipher(const Cipher&) = delete;
    Cipher& operator=(const Cipher&) = delete;
    bool ok() const { return h_ && ok_; }
    gcry_cipher_hd_t handle() const { return h_; }

private:
    gcry_cipher_hd_t h_ = nullptr;
    bool ok_ = false;
};

}  // namespace

bool ready() {
    static const bool ok = initialise();
    return ok;
}

void randomSalt(std::array<std::uint8_t, format::kSaltSize>& salt) {
    if (ready()) gcry_randomize(salt.data(), salt.size(), GCRY_STRONG_RANDOM);
}

void randomNonce(std::array<std::uint8_t, format::kNonceSize>& nonce) {
    if (ready()) gcry_create_nonce(nonce.data(), nonce.size());
}

bool deriveKey(std::string_view password, const std::array<std::uint8_t, format::kSaltSize>& salt,
               std::uint32_t iterations, Key& out) {
    if (!ready() || iterations == 0) return false;
    KeyRequest request{{}, salt, iterations};
    gcry_md_hash_buffer(GCRY_MD_SHA256, request.passwordHash.data(), password.data(), password.size());
    {
        std::unique_lock lock(cacheMutex);
        for (;;) {
            const auto hit = std::find_if(cache.begin(), cache.end(),
                                          [&](const CachedKey& c) { return c.request == request; });
            if (hit != cache.end()) {
                out = hit->key;
                return true;
            }
            if (std::find(inProgress.begin(), inProgress.end(), request) == inProgress.end()) break;
            cacheChanged.wait(lock);
        }
        inProgress.push_back(request);
    }
    // libgcrypt rejects a null passphrase even when its length is zero.
    const char* pass = password.data() ? password.data() : "";
    Key key;
    const bool made = gcry_kdf_derive(pass, password.size(), GCRY_KDF_PBKDF2, GCRY_MD_SHA256, salt.data(),
                                      salt.size(), iterations, key.size(), key.data()) == 0;
    {
        std::lock_guard lock(cacheMutex);
        inProgress.erase(std::find(inProgress.begin(), inProgress.end(), request));
        if (made) {
            ++derivations;
            if (cache.size() >= kCacheSize) {
                wipe(&cache.front(), sizeof(CachedKey));
                cache.erase(cache.begin());
            }
            cache.push_back(CachedKey{request, key});
        }
    }
    cacheChanged.notify_all();
    if (made) out = key;
    wipe(key.data(), key.size());
    return made;
}

void clearKeyCache() {
    std::lock_guard lock(cacheMutex);
    for (CachedKey& c : cache) wipe(&c, sizeof c);
    cache.clear();
}

std::uint64_t derivationCount() {
    std::lock_guard lock(cacheMutex);
    return derivations;
}

bool seal(const Key& key, const std::array<std::uint8_t, format::kNonceSize>& nonce,
          std::string_view associated, char* body, std::size_t size, std::uint8_t* tag) {
    if (!ready()) return false;
    Cipher c(key, nonce, associated);
    if (!c.ok()) return false;
    if (gcry_cipher_final(c.handle()) != 0) return false;
    if (gcry_cipher_encrypt(c.handle(), body, size, nullptr, 0) != 0) return false;
    return gcry_cipher_gettag(c.handle(), tag, format::kTagSize) == 0;
}

bool unseal(const Key& key, const std::array<std::uint8_t, format::kNonceSize>& nonce,
            std::string_view associated, char* body, std::size_t size, const std::uint8_t* tag) {
    if (!ready()) return false;
    Cipher c(key, nonce, associated);
    bool ok = c.ok() && gcry_cipher_final(c.handle()) == 0 &&
              gcry_cipher_decrypt(c.handle(), body, size, nullptr, 0) == 0 &&
              gcry_cipher_checktag(c.handle(), tag, format::kTagSize) == 0;
    if (!ok) wipe(body, size);
    return ok;
}

void wipe(void* p, std::size_t n) {
    if (n == 0) return;
    std::memset(p, 0, n);
    // Tells the compiler the zeros are read, so the memset stays.
    asm volatile("" : : "r"(p) : "memory");
}

}  // namespace vorda::storage::crypto
