#pragma once
// The one local account, kept in the header record of data.edb: "名1" is the
// user name, with the auto-login marker in front when automatic sign-in is on,
// and "名2" the password.
#include <string>

namespace vorda::signin {

inline constexpr const char* kAutoLoginMarker = "*1*";

// The name as stored: the marker and the name when autoLogin, else the name.
std::string markedName(const std::string& userName, bool autoLogin);
bool hasAutoLoginMarker(const std::string& storedName);
// The user name of a stored "名1": the text after the marker, or all of it.
std::string userNameOf(const std::string& storedName);

enum class AccountCheck {
    Accepted,
    Rejected,     // wrong name or password, or no account in the file
    Unavailable,  // data.edb could not be opened
};

enum class AccountWrite {
    Stored,
    AccountExists,  // registration found an account already there
    Unavailable,    // data.edb could not be opened
    NotSaved,       // opened, but the change could not be written
};

// Appends the header record with the marked name and password. Only into a
// data.edb without records, so there is never a second header record.
AccountWrite registerAccount(const std::string& markedName, const std::string& password);
// True exactly when both equal the stored ones, byte for byte.
AccountCheck checkAccount(const std::string& userName, const std::string& password);
// Overwrites name and password in the header record.
AccountWrite rememberAccount(const std::string& markedName, const std::string& password);

}  // namespace vorda::signin
