#include "storage/store_files.h"

#include <climits>
#include <thread>

#include "storage/store_crypto.h"
#include "text/gbk.h"

namespace vorda::storage {

namespace {

std::vector<FieldDefinition> schemaOf(int fieldCount) {
    std::vector<FieldDefinition> fields;
    for (int n = 1; n <= fieldCount; ++n)
        fields.push_back({fieldName(n), FieldKind::Text, kStoreFieldLength});
    return fields;
}

bool addDataExHeader() {
    return RecordStore::addBlank() && RecordStore::write(fieldName(1), GBK("密码库2")) &&
           RecordStore::write(fieldName(2), "1");
}

bool createStore(const char* fileName, int fieldCount, bool dataExHeader) {
    const std::string path = runDirectory() + "\\" + fileName;
    if (!RecordStore::openNew(path, schemaOf(fieldCount))) return false;
    // Password and header record go into the one commit at close.
    const bool built = RecordStore::setPassword(accessPassword()) && (!dataExHeader || addDataExHeader());
    return RecordStore::close() && built;
}

}  // namespace

const std::string& accessPassword() {
    static const std::string password = "kvpLZN&708!tb";
    return password;
}

const std::string& fieldName(int n) {
    static const std::vector<std::string> names = [] {
        std::vector<std::string> v;
        for (char digit = '1'; digit <= '9'; ++digit) v.push_back(GBK("名") + digit);
        return v;
    }();
    return names.at(static_cast<std::size_t>(n - 1));
}

std::vector<FieldDefinition> dataSchema() {
    return schemaOf(kDataFieldCount);
}
std::vector<FieldDefinition> dataExSchema() {
    return schemaOf(kDataExFieldCount);
}

bool createDataStore() {
    return createStore(kDataFile, kDataFieldCount, false);
}
bool createDataExStore() {
    return createStore(kDataExFile, kDataExFieldCount, false);
}
bool createDataExStoreWithHeader() {
    return createStore(kDataExFile, kDataExFieldCount, true);
}

bool writeDataExHeader() {
    if (!openStore(kDataExFile)) return false;
    const bool written = addDataExHeader();
    const bool closed = RecordStore::close();
    return written && closed;
}

void prepareStoreKeysInBackground() {
    if (!crypto::ready()) return;
    // dataex.edb first: the sign-in window itself opens data.edb at once, and
    // asks for its key on its own thread meanwhile.
    std::vector<std::string> paths{runDirectory() + "\\" + kDataExFile, runDirectory() + "\\" + kDataFile};
    std::thread([paths, password = accessPassword()] {
        for (const std::string& path : paths) prepareKey(path, password);
    }).detach();
}

int leadingInteger(const std::string& text) {
    std::size_t pos = 0;
    while (pos < text.size() && (text[pos] == ' ' || (text[pos] >= '\t' && text[pos] <= '\r'))) ++pos;
    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) negative = text[pos++] == '-';
    long long value = 0;
    for (; pos < text.size() && text[pos] >= '0' && text[pos] <= '9'; ++pos) {
        value = value * 10 + (text[pos] - '0');
        if (value > static_cast<long long>(INT_MAX) + 1) {
            value = static_cast<long long>(INT_MAX) + 1;
            break;
        }
    }
    if (negative) return static_cast<int>(-value);
    return value > INT_MAX ? INT_MAX : static_cast<int>(value);
}

}  // namespace vorda::storage
