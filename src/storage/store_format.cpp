#include "storage/store_format.h"

#include <cstring>

#include "text/gbk.h"

namespace vorda::storage::format {

namespace {

void putU16(char* p, std::uint16_t v) {
    p[0] = static_cast<char>(v & 0xFF);
    p[1] = static_cast<char>(v >> 8);
}

void putU32(char* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

std::uint16_t getU16(const char* p) {
    return static_cast<std::uint16_t>(static_cast<unsigned char>(p[0]) |
                                      (static_cast<unsigned char>(p[1]) << 8));
}

std::uint32_t getU32(const char* p) {
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(p[i]);
    return v;
}

bool isAsciiDigit(unsigned char c) {
    return c >= '0' && c <= '9';
}
bool isAsciiLetter(unsigned char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
unsigned char lowerAscii(unsigned char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c + 32) : c;
}

// Reads forward through a buffer; every read checks the bytes left first.
class Reader {
public:
    Reader(char* data, std::size_t size) : p_(data), left_(size) {}
    std::size_t left() const { return left_; }
    bool u8(std::uint8_t& v) {
        if (left_ < 1) return false;
        v = static_cast<std::uint8_t>(*p_);
        advance(1);
        return true;
    }
    bool u16(std::uint16_t& v) {
        if (left_ < 2) return false;
        v = getU16(p_);
        advance(2);
        return true;
    }
    bool u32(std::uint32_t& v) {
        if (left_ < 4) return false;
        v = getU32(p_);
        advance(4);
        return true;
    }
    char* take(std::size_t n) {
        if (left_ < n) return nullptr;
        char* at = p_;
        advance(n);
        return at;
    }

private:
    void advance(std::size_t n) {
        p_ += n;
        left_ -= n;
    }
    char* p_;
    std::size_t left_;
};

}  // namespace

std::optional<FileHeader> parseHeader(std::string_view file) {
    if (file.size() < kHeaderSize + kTagSize) return std::nullopt;
    const char* p = file.data();
    if (std::memcmp(p, kMagic, sizeof kMagic) != 0) return std::nullopt;
    if (getU16(p + 8) != kVersion) return std::nullopt;
    if (static_cast<std::uint8_t>(p[10]) != kKdfPbkdf2Sha256) return std::nullopt;
    const auto flags = static_cast<std::uint8_t>(p[11]);
    if ((flags & ~kFlagProtected) != 0) return std::nullopt;
    FileHeader h;
    h.isProtected = (flags & kFlagProtected) != 0;
    h.iterations = getU32(p + 12);
    if (h.iterations == 0 || h.iterations > kMaxIterations) return std::nullopt;
    std::memcpy(h.salt.data(), p + 16, kSaltSize);
    std::memcpy(h.nonce.data(), p + 32, kNonceSize);
    return h;
}

void writeHeader(const FileHeader& h, char* out) {
    std::memcpy(out, kMagic, sizeof kMagic);
    putU16(out + 8, kVersion);
    out[10] = static_cast<char>(kKdfPbkdf2Sha256);
    out[11] = static_cast<char>(h.isProtected ? kFlagProtected : 0);
    putU32(out + 12, h.iterations);
    std::memcpy(out + 16, h.salt.data(), kSaltSize);
    std::memcpy(out + 32, h.nonce.data(), kNonceSize);
}

bool validFieldName(std::string_view name) {
    if (name.empty() || name.size() > kMaxNameBytes) return false;
    if (isAsciiDigit(static_cast<unsigned char>(name[0]))) return false;
    for (std::size_t pos = 0; pos < name.size();) {
        const std::size_t len = text::charLength(name, pos);
        const auto c = static_cast<unsigned char>(name[pos]);
        // A double-byte character is taken whole: its trail byte may be '@' or '['.
        if (len == 1 && !(c >= 0x80 || c == '_' || isAsciiDigit(c) || isAsciiLetter(c))) return false;
        pos += len;
    }
    return true;
}

bool sameFieldName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    std::size_t pos = 0;
    while (pos < a.size()) {
        std::size_t len = text::charLength(a, pos);
        if (len == 2) {
            if (a[pos] != b[pos] || a[pos + 1] != b[pos + 1]) return false;
        } else if (lowerAscii(static_cast<unsigned char>(a[pos])) !=
                   lowerAscii(static_cast<unsigned char>(b[pos]))) {
            return false;
        }
        pos += len;
    }
    return true;
}

bool validSchema(const std::vector<FieldDefinition>& fields) {
    if (fields.empty() || fields.size() > kMaxFields) return false;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const FieldDefinition& f = fields[i];
        if (!validFieldName(f.name)) return false;
        if (f.kind != FieldKind::Text) return false;
        if (f.maxLength < 1 || f.maxLength > kMaxTextLength) return false;
        for (std::size_t j = 0; j < i; ++j) {
            if (sameFieldName(fields[j].name, f.name)) return false;
        }
    }
    return true;
}

bool parsePayload(char* data, std::size_t size, StoreContent& out) {
    // Cleared, not replaced: a caller may hand in vectors with room to spare.
    out.fields.clear();
    out.deleted.clear();
    out.cells.clear();
    Reader r(data, size);
    std::uint16_t fieldCount = 0;
    if (!r.u16(fieldCount) || fieldCount == 0 || fieldCount > kMaxFields) return false;
    out.fields.reserve(fieldCount);
    for (std::uint16_t i = 0; i < fieldCount; ++i) {
        std::uint8_t nameLength = 0, kind = 0;
        std::uint16_t maxLength = 0;
        if (!r.u8(nameLength) || nameLength > kMaxNameBytes) return false;
        const char* name = r.take(nameLength);
        if (!name || !r.u8(kind) || !r.u16(maxLength)) return false;
        FieldDefinition f;
        f.name.assign(name, nameLength);
        f.kind = static_cast<FieldKind>(kind);
        f.maxLength = maxLength;
        out.fields.push_back(std::move(f));
    }
    if (!validSchema(out.fields)) return false;

    std::uint32_t recordCount = 0;
    if (!r.u32(recordCount)) return false;
    // Flags and lengths must fit in what is left before anything is allocated.
    const std::size_t perRecord = 1 + 2 * static_cast<std::size_t>(fieldCount);
    if (recordCount > r.left() / perRecord) return false;
    const std::size_t cellCount = static_cast<std::size_t>(recordCount) * fieldCount;

    const char* flags = r.take(recordCount);
    const char* lengths = r.take(2 * cellCount);
    out.deleted.resize(recordCount);
    for (std::size_t i = 0; i < recordCount; ++i) {
        const auto f = static_cast<std::uint8_t>(flags[i]);
        if (f > 1) return false;
        out.deleted[i] = f;
    }

    char* texts = data + (size - r.left());
    const std::size_t textBytes = r.left();
    out.cells.reserve(cellCount);
    std::uint16_t maxLengths[kMaxFields];
    for (std::size_t f = 0; f < fieldCount; ++f)
        maxLengths[f] = static_cast<std::uint16_t>(out.fields[f].maxLength);
    std::size_t offset = 0;
    const char* length = lengths;
    for (std::size_t r = 0; r < recordCount; ++r) {
        for (std::size_t f = 0; f < fieldCount; ++f, length += 2) {
            const std::uint16_t len = getU16(length);
            if (len > maxLengths[f] || len > textBytes - offset) return false;
            out.cells.push_back(Cell{len ? texts + offset : nullptr, len});
            offset += len;
        }
    }
    if (offset != textBytes) return false;
    // Texts are stored up to their first zero byte; our writer never stores one.
    if (textBytes != 0 && std::memchr(texts, 0, textBytes) != nullptr) return false;
    return true;
}

std::size_t payloadSize(const StoreContent& c) {
    std::size_t n = 2;
    for (const FieldDefinition& f : c.fields) n += 1 + f.name.size() + 1 + 2;
    n += 4 + c.recordCount() + 2 * c.cells.size();
    for (const Cell& cell : c.cells) n += cell.size;
    return n;
}

void writePayload(const StoreContent& c, char* out) {
    char* p = out;
    putU16(p, static_cast<std::uint16_t>(c.fields.size()));
    p += 2;
    for (const FieldDefinition& f : c.fields) {
        *p++ = static_cast<char>(f.name.size());
        std::memcpy(p, f.name.data(), f.name.size());
        p += f.name.size();
        *p++ = static_cast<char>(f.kind);
        putU16(p, static_cast<std::uint16_t>(f.maxLength));
        p += 2;
    }
    putU32(p, static_cast<std::uint32_t>(c.recordCount()));
    p += 4;
    if (!c.deleted.empty()) std::memcpy(p, c.deleted.data(), c.deleted.size());
    p += c.deleted.size();
    for (const Cell& cell : c.cells) {
        putU16(p, static_cast<std::uint16_t>(cell.size));
        p += 2;
    }
    for (const Cell& cell : c.cells) {
        if (cell.size) std::memcpy(p, cell.data, cell.size);
        p += cell.size;
    }
}

}  // namespace vorda::storage::format
