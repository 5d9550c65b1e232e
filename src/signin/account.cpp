#include "signin/account.h"

#include <algorithm>

#include "storage/record_store.h"
#include "storage/store_files.h"

namespace vorda::signin {

using storage::fieldName;
using storage::RecordStore;

namespace {

// A store that opens with the access password but lacks the account fields is
// not ours to write into.
bool hasAccountFields() {
    const auto fields = RecordStore::fields();
    auto has = [&](const std::string& name) {
        return std::any_of(fields.begin(), fields.end(), [&](const auto& f) { return f.name == name; });
    };
    return has(fieldName(1)) && has(fieldName(2));
}

AccountWrite writeAccount(const std::string& markedName, const std::string& password) {
    const bool written = RecordStore::write(fieldName(1), markedName) && RecordStore::write(fieldName(2), password);
    const bool committed = RecordStore::close();
    return written && committed ? AccountWrite::Stored : AccountWrite::NotSaved;
}

}  // namespace

std::string markedName(const std::string& userName, bool autoLogin) {
    return autoLogin ? kAutoLoginMarker + userName : userName;
}

bool hasAutoLoginMarker(const std::string& storedName) { return storedName.starts_with(kAutoLoginMarker); }

std::string userNameOf(const std::string& storedName) {
    return hasAutoLoginMarker(storedName) ? storedName.substr(3) : storedName;
}

AccountWrite registerAccount(const std::string& markedName, const std::string& password) {
    if (!storage::openStore(storage::kDataFile)) return AccountWrite::Unavailable;
    // The file may have gained its account since the window looked.
    if (RecordStore::recordCount() != 0) {
        RecordStore::close();
        return AccountWrite::AccountExists;
    }
    if (!hasAccountFields() || !RecordStore::addBlank()) {
        RecordStore::close();
        return AccountWrite::NotSaved;
    }
    return writeAccount(markedName, password);
}

AccountCheck checkAccount(const std::string& userName, const std::string& password) {
    if (!storage::openStore(storage::kDataFile)) return AccountCheck::Unavailable;
    const bool hasAccount = RecordStore::recordCount() > 0;
    const std::string storedName = RecordStore::read(fieldName(1));
    const std::string storedPassword = RecordStore::read(fieldName(2));
    RecordStore::close();
    if (!hasAccount) return AccountCheck::Rejected;
    return userName == userNameOf(storedName) && password == storedPassword ? AccountCheck::Accepted
                                                                             : AccountCheck::Rejected;
}

AccountWrite rememberAccount(const std::string& markedName, const std::string& password) {
    if (!storage::openStore(storage::kDataFile)) return AccountWrite::Unavailable;
    RecordStore::first();
    if (RecordStore::recordCount() == 0 || !hasAccountFields()) {
        RecordStore::close();
        return AccountWrite::NotSaved;
    }
    return writeAccount(markedName, password);
}

}  // namespace vorda::signin
