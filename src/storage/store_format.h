#pragma once
// The layout of a store file, apart from the cipher.
//
//   offset  size  header (plain; authenticated as associated data)
//        0     8  magic "VRDSTOR\x1A"
//        8     2  format version (1)
//       10     1  key derivation: 1 = PBKDF2-HMAC-SHA256
//       11     1  flags: bit 0 = protected by a password
//       12     4  KDF iterations
//       16    16  salt
//       32    12  nonce
//       44     n  payload, AES-256-GCM ciphertext
//     44+n    16  GCM tag
//
// Payload (plain text after decryption), integers little-endian:
//   u16 field count F, then per field: u8 name length, name, u8 kind, u16 max length
//   u32 record count R
//   R bytes of record flags (bit 0 = marked deleted)
//   R*F u16 text lengths, record by record
//   the texts, concatenated in the same order
// Lengths sit apart from the texts so one scan of the text area shows that no
// text holds a zero byte.
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "storage/record_store.h"

namespace vorda::storage::format {

inline constexpr char kMagic[8] = {'V', 'R', 'D', 'S', 'T', 'O', 'R', '\x1A'};
inline constexpr std::uint16_t kVersion = 1;
inline constexpr std::uint8_t kKdfPbkdf2Sha256 = 1;
inline constexpr std::uint8_t kFlagProtected = 0x01;
inline constexpr std::size_t kSaltSize = 16;
inline constexpr std::size_t kNonceSize = 12;
inline constexpr std::size_t kHeaderSize = 44;
inline constexpr std::size_t kTagSize = 16;
// A hostile header must not stall open in the KDF for minutes.
inline constexpr std::uint32_t kMaxIterations = 4'000'000;

inline constexpr std::size_t kMaxFields = 256;
inline constexpr std::size_t kMaxNameBytes = 16;
inline constexpr int kMaxTextLength = 1024;

struct FileHeader {
    bool isProtected = false;
    std::uint32_t iterations = 0;
    std::array<std::uint8_t, kSaltSize> salt{};
    std::array<std::uint8_t, kNonceSize> nonce{};
};

// Checks magic, version, KDF, flags, iteration bounds and that the file is long
// enough to hold a tag. Says nothing about the payload.
std::optional<FileHeader> parseHeader(std::string_view file);
void writeHeader(const FileHeader& header, char* out);  // kHeaderSize bytes

// A text of one field of one record, inside a buffer the store owns (the
// decrypted file or the store's own text arena). Never shared between cells, so
// a shorter text may overwrite a longer one in place.
struct Cell {
    char* data = nullptr;
    std::uint32_t size = 0;
    std::string_view view() const { return {data, size}; }
};

struct StoreContent {
    std::vector<FieldDefinition> fields;
    std::vector<std::uint8_t> deleted;  // one per record
    std::vector<Cell> cells;            // record by record, fields.size() each

    std::size_t recordCount() const { return deleted.size(); }
};

// A field name: 1..16 bytes, not starting with an ASCII digit, made of GBK
// double-byte characters, ASCII letters, digits, '_' and other bytes from 0x80.
bool validFieldName(std::string_view name);
// Valid names, kinds and lengths, at least one and at most kMaxFields fields,
// names unique ignoring ASCII letter case.
bool validSchema(const std::vector<FieldDefinition>& fields);
// ASCII letter case folded in single-byte characters only: a GBK trail byte
// may look like a letter but belongs to its character.
bool sameFieldName(std::string_view a, std::string_view b);

// Parses a decrypted payload in place; the cells point into data, which must
// outlive them. False, with out unspecified, on anything malformed.
bool parsePayload(char* data, std::size_t size, StoreContent& out);

std::size_t payloadSize(const StoreContent& content);
// Writes exactly payloadSize(content) bytes.
void writePayload(const StoreContent& content, char* out);

}  // namespace vorda::storage::format
