#include "mainwindow/sign_out.h"

#include "mainwindow/store_errors.h"
#include "signin/account.h"
#include "signin/login_window.h"
#include "storage/record_store.h"
#include "storage/store_files.h"

namespace vorda::mainwindow {

using storage::RecordStore;

void signOut(MainWindow& w) {
    ui::Backend& b = w.backend();
    if (storage::openStore(storage::kDataFile)) {
        const std::string name = RecordStore::read(storage::fieldName(1));
        if (signin::hasAutoLoginMarker(name)) RecordStore::write(storage::fieldName(1), signin::userNameOf(name));
        // Automatic sign-in that could not be switched off would sign the user
        // straight back in: say so, and sign out all the same.
        if (!RecordStore::close()) showCannotSaveStore(b, storage::kDataFile);
    } else {
        showCannotOpenStore(b, storage::kDataFile);
    }
    signin::openLoginWindow(b);
    w.window.destroy();
}

}  // namespace vorda::mainwindow
