#pragma once
// The two store files of the program, their schema, header record and access
// password.
#include <string>
#include <vector>

#include "storage/record_store.h"

namespace vorda::storage {

// Account, custom column titles and the custom library.
inline constexpr const char* kDataFile = "data.edb";
// Home library flag and the password library.
inline constexpr const char* kDataExFile = "dataex.edb";
inline constexpr int kDataFieldCount = 7;
inline constexpr int kDataExFieldCount = 6;
inline constexpr int kStoreFieldLength = 100;

// The password every open of either file gives.
const std::string& accessPassword();
// "名1".."名7" in GBK: C3 FB, then the ASCII digit. n is 1..7.
const std::string& fieldName(int n);
std::vector<FieldDefinition> dataSchema();
std::vector<FieldDefinition> dataExSchema();

// Each returns true when every step, the commit at close included, succeeded.
// The creating ones write the whole file in one step, so a crash leaves it
// missing or complete, never unprotected or without its header record.
// data.edb with its schema and the access password, no records.
bool createDataStore();
// dataex.edb with its schema and the access password, no records.
bool createDataExStore();
// dataex.edb with its schema, the access password and its header record.
bool createDataExStoreWithHeader();
// Appends the header record of dataex.edb: "名1" = "密码库2", "名2" = "1".
bool writeDataExHeader();

// Starts making the keys of both store files on a thread of its own, so that
// neither the sign-in window nor MainWindow waits for them. The program calls
// it once at start; tests keep to one thread.
void prepareStoreKeysInBackground();

// The leading decimal integer of a text as atoi reads it (leading white space,
// an optional sign); 0 when there is none. Out-of-range values clamp.
int leadingInteger(const std::string& text);

}  // namespace vorda::storage
