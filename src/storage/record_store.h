#pragma once
// A file of records with named text fields, protected by an access password and
// worked through a cursor. Several files may be open at once, each at most once;
// one of them (or none) is current, and every operation but create and open acts
// on the current one. Changes are kept in memory and reach the disk when the
// store is closed, as one atomic replacement of the whole file.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vorda::storage {

// What a field of maxLength bytes keeps of a text: up to its first zero byte,
// cut without splitting a double-byte character.
std::string_view storedText(std::string_view text, std::size_t maxLength);

enum class FieldKind : std::uint8_t { Text = 1 };

struct FieldDefinition {
    std::string name;  // GBK; an identifier not starting with a digit, at most 16 bytes
    FieldKind kind = FieldKind::Text;
    int maxLength = 100;  // 1..1024 bytes
};

class RecordStore {
public:
    // Writes a new, empty store file without password, replacing any file of that
    // name. The new file is not opened.
    static bool create(const std::string& path, const std::vector<FieldDefinition>& fields);
    // Opens path and makes it current with the cursor on record 1. A protected
    // store needs its password; an unprotected one needs none (an empty password
    // counts as none). Fails, leaving the current store as it was, for a missing,
    // unreadable, damaged or foreign file, a password mismatch, a file already
    // open in this process, or one another process keeps locked.
    static bool open(const std::string& path, const std::optional<std::string>& password = std::nullopt);
    // A new store with this schema and no records, opened and made current as
    // open makes a file; no password until setPassword. Nothing reaches the disk
    // before close, which writes the whole file in one step, replacing any file
    // of that name: a file built this way is never seen half made.
    static bool openNew(const std::string& path, const std::vector<FieldDefinition>& fields);
    // Protects the current store with this password from its next commit on;
    // an empty password leaves it unprotected.
    static bool setPassword(const std::string& password);
    // Closes the current store, committing its changes. False when changes could
    // not be written; the file on disk is then as it was before the open. Either
    // way the store is closed afterwards and no store is current. A store
    // without changes writes nothing; with no current store close does nothing.
    static bool close();

    // The schema of the current store; empty with no current store.
    static std::vector<FieldDefinition> fields();
    // Tells the commits of the current store's file apart: two opens give the
    // same text only when the file was not committed in between. Empty for a
    // store made by openNew.
    static std::string version();
    static int recordCount();
    static void first();
    // Forward by count (at least 1), stopping at the end position; false and no
    // move from the end position, on an empty store or for count < 1.
    static bool skip(int count = 1);
    static bool addBlank();
    // Field names match ignoring ASCII letter case. Texts end at their first zero
    // byte; a text longer than the field holds is cut without splitting a
    // double-byte character.
    static std::string read(const std::string& field);
    // The same text without a copy, for callers that only look: valid until
    // the store next changes or closes.
    static std::string_view readView(const std::string& field);
    static bool write(std::string_view field, std::string_view text);
    // For loops over many records: a field's index in the current store (-1
    // when it has no such field) stands for its name in the calls below.
    static int fieldIndex(std::string_view field);
    static std::string_view readView(int field);
    static bool write(int field, std::string_view text);
    static bool deleteCurrent();
    static bool purgeDeleted();

    // Closes every open store without committing (test teardown).
    static void abandonAll();
};

// Makes the key that opening path with this password needs, so that the open
// finds it made. Only reads the file; may run on a thread of its own.
void prepareKey(const std::string& path, const std::string& password);

// The directory holding the program file, without a trailing separator.
std::string runDirectory();
// Tests run the program's storage in a directory of their own; empty restores
// the program's directory.
void setRunDirectory(const std::string& directory);

// RecordStore::open on runDirectory + "\" + fileName with the access password.
bool openStore(const std::string& fileName);

}  // namespace vorda::storage
