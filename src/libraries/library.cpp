#include "libraries/library.h"

#include <algorithm>
#include <cstring>

#include "mainwindow/store_errors.h"
#include "storage/record_store.h"
#include "storage/store_files.h"
#include "text/gbk.h"

namespace vorda::libraries {

using storage::RecordStore;
using W = MainWindowControls;

namespace {

// A digest of a sequence of texts, the entries' cells in order; 0 for none.
// Not for an adversary: it tells whether the entries changed.
class EntriesDigest {
public:
    void add(std::string_view text) {
        const char* p = text.data();
        const std::size_t n = text.size();
        mix(n + 1);
        std::size_t i = 0;
        for (; i + 8 <= n; i += 8) mix(load<std::uint64_t>(p + i));
        if (i == n) return;
        // The last bytes are read in fixed-size pieces, which may overlap
        // bytes already taken: a copy of variable length costs more than
        // the rest of the text.
        if (n >= 8) {
            mix(load<std::uint64_t>(p + n - 8));
        } else if (n >= 4) {
            mix(std::uint64_t{load<std::uint32_t>(p)} << 32 | load<std::uint32_t>(p + n - 4));
        } else {
            const auto byte = [&](std::size_t at) { return std::uint64_t{static_cast<unsigned char>(p[at])}; };
            mix(byte(0) << 16 | byte(n / 2) << 8 | byte(n - 1));
        }
    }
    std::uint64_t value() const { return h_; }

private:
    template <typename T>
    static T load(const char* p) {
        T v;
        std::memcpy(&v, p, sizeof v);
        return v;
    }
    void mix(std::uint64_t v) {
        h_ = (h_ ^ v) * 0x9E3779B97F4A7C15ULL;
        h_ ^= h_ >> 32;
    }
    std::uint64_t h_ = 0;
};

// The entry records of the current store, records 2..records.
std::uint64_t storedEntriesDigest(const std::vector<int>& fields, int records) {
    EntriesDigest d;
    RecordStore::first();
    RecordStore::skip();
    for (int i = 1; i < records; ++i) {
        for (int f : fields) d.add(RecordStore::readView(f));
        RecordStore::skip();
    }
    return d.value();
}

// The indexes of the library's data fields in the current store.
std::vector<int> dataFieldIndexes(const LibraryDescriptor& lib) {
    std::vector<int> fields;
    for (int k = 0; k < lib.dataFields; ++k) fields.push_back(RecordStore::fieldIndex(storage::fieldName(k + 1)));
    return fields;
}

std::uint64_t listDigest(const ui::ListView& list, int dataFields) {
    EntriesDigest d;
    for (const ui::Row& row : list.rowsView())
        for (int k = 0; k < dataFields; ++k) d.add(row[static_cast<std::size_t>(k)]);
    return d.value();
}

void showChangedSinceLoaded(ui::Backend& b, const std::string& fileName) {
    b.messageBox(GBK("数据文件 ") + fileName +
                     GBK(" 中的条目与列表加载时的不同，可能已被另一个运行中的 Vorda 更改。为免覆盖这些条目，"
                         "本次更改没有保存；请在重新加载的列表中重做。"),
                 GBK("错误"), ui::kOkExclamation);
}

}  // namespace

const LibraryDescriptor& customLibrary() {
    static const LibraryDescriptor lib{
        mainwindow::kCustomPage,
        storage::kDataFile,
        6,
        &W::超级列表框1,
        {&W::编辑框1, &W::编辑框2, &W::编辑框3, &W::编辑框4, &W::编辑框5, &W::编辑框6},
        {&W::超级按钮5, &W::超级按钮7, &W::超级按钮3, &W::超级按钮8, &W::超级按钮6, &W::超级按钮9},
        // The row captioned "自定义库已存 " shows this library's count.
        &W::透明标签18,
        &W::加载按钮,
        &W::刷新按钮,
        &W::超级按钮4,
        &W::超级按钮10,
        &W::编辑框7,
        &W::搜索按钮1,
        true,
        false,
        true,
        &MainWindow::customEntries,
    };
    return lib;
}

const LibraryDescriptor& passwordLibrary() {
    static const LibraryDescriptor lib{
        mainwindow::kPasswordPage,
        storage::kDataExFile,
        5,
        &W::超级列表框2,
        {&W::编辑1, &W::编辑2, &W::编辑3, &W::编辑4, &W::编辑5},
        {&W::超级按钮13, &W::超级按钮14, &W::超级按钮15, &W::超级按钮16, &W::超级按钮17},
        // The row captioned "密码库已存 " shows this library's count.
        &W::透明标签4,
        &W::加载按钮1,
        &W::刷新按钮1,
        &W::超级按钮18,
        &W::超级按钮19,
        &W::编辑6,
        &W::搜索按钮2,
        false,
        true,
        false,
        &MainWindow::passwordEntries,
    };
    return lib;
}

const LibraryDescriptor* libraryOnPage(int page) {
    if (page == mainwindow::kCustomPage) return &customLibrary();
    if (page == mainwindow::kPasswordPage) return &passwordLibrary();
    return nullptr;
}

bool loadLibrary(MainWindow& w, const LibraryDescriptor& lib, bool reportFailure) {
    if (!storage::openStore(lib.storeFile)) {
        if (reportFailure) mainwindow::showCannotOpenStore(w.backend(), lib.storeFile);
        // The count must not claim entries the list does not show.
        (w.*lib.countLabel).setText(std::to_string((w.*lib.list).rowCount()));
        return false;
    }
    const int records = RecordStore::recordCount();
    if (lib.loadCallsFirst) RecordStore::first();
    RecordStore::skip();
    const ui::ListView& list = w.*lib.list;
    const std::vector<int> fields = dataFieldIndexes(lib);
    // Rows as wide as the list, so that the list need not widen each of them
    // for the untitled column.
    const auto columns = std::max<std::size_t>(fields.size(), static_cast<std::size_t>(list.columnCount()));
    // The old rows' memory takes the new texts.
    std::vector<ui::Row> rows = list.takeRows();
    rows.resize(records > 1 ? static_cast<std::size_t>(records - 1) : 0);
    EntriesDigest digest;
    std::vector<std::string_view> texts(fields.size());
    for (ui::Row& row : rows) {
        std::size_t bytes = columns;
        for (std::size_t k = 0; k < fields.size(); ++k) {
            texts[k] = RecordStore::readView(fields[k]);
            bytes += texts[k].size();
        }
        row.clear();
        row.reserve(bytes);
        for (const std::string_view text : texts) {
            row.push_back(text);
            digest.add(text);
        }
        row.resize(columns);
        RecordStore::skip();
    }
    list.setRows(std::move(rows));
    w.*lib.loaded = {digest.value(), RecordStore::version()};
    (w.*lib.countLabel).setText(std::to_string(records > 1 ? records - 1 : 0));
    RecordStore::close();
    return true;
}

bool saveLibrary(MainWindow& w, const LibraryDescriptor& lib) {
    ui::Backend& b = w.backend();
    const ui::ListView& list = w.*lib.list;
    if (!storage::openStore(lib.storeFile)) {
        mainwindow::showCannotOpenStore(b, lib.storeFile);
        return false;
    }
    const std::vector<int> fields = dataFieldIndexes(lib);
    // What the entries are once written, for the next save to compare with.
    EntriesDigest written;
    // Writes a row's cells; false when its first cell could not be written.
    auto writeRow = [&](const ui::Row& row) {
        auto cell = row.begin();
        bool firstWritten = true;
        for (std::size_t k = 0; k < fields.size(); ++k) {
            std::string_view text;
            if (cell != row.end()) text = *cell++;
            const bool wrote = RecordStore::write(fields[k], text);
            // A list cell holds no zero byte: only its length may cut it.
            if (!wrote) text = {};
            if (text.size() > storage::kStoreFieldLength) text = storage::storedText(text, storage::kStoreFieldLength);
            written.add(text);
            if (k == 0) firstWritten = wrote;
        }
        return firstWritten;
    };
    const int records = RecordStore::recordCount();
    const int rows = static_cast<int>(list.rowsView().size());
    if (records < 1) {
        // Without its header record the file is not a library store; entries
        // written now would take the header's place.
        RecordStore::close();
        mainwindow::showCannotSaveStore(b, lib.storeFile);
        return false;
    }
    // The list stands for the entries it was filled from. When the store's
    // differ, another instance saved or imported since (or the list never came
    // from the store), and writing the list would undo that.
    mainwindow::LoadedEntries& loaded = w.*lib.loaded;
    // An unchanged file holds them still; after any commit, ours too, only
    // their texts tell.
    const bool sameFile = !loaded.version.empty() && RecordStore::version() == loaded.version;
    if (!sameFile && storedEntriesDigest(fields, records) != loaded.digest) {
        RecordStore::close();
        // Nothing changed in the list: nothing is lost by keeping the store's.
        if (listDigest(list, lib.dataFields) == loaded.digest) return true;
        showChangedSinceLoaded(b, lib.storeFile);
        return false;
    }
    std::span<const ui::Row> listRows = list.rowsView();
    RecordStore::first();
    RecordStore::skip();
    if (records >= rows + 2) {
        for (int i = 0; i < rows; ++i) {
            writeRow(listRows[static_cast<std::size_t>(i)]);
            RecordStore::skip();
        }
        for (int i = rows; i <= records - 2; ++i) {
            RecordStore::deleteCurrent();
            RecordStore::skip();
        }
        RecordStore::purgeDeleted();
    } else {
        for (int i = 0; i <= records - 2; ++i) {
            writeRow(listRows[static_cast<std::size_t>(i)]);
            RecordStore::skip();
        }
        for (int i = records - 1; i < rows; ++i) {
            RecordStore::addBlank();
            if (!writeRow(listRows[static_cast<std::size_t>(i)])) {
                b.messageBox(GBK("失败"), ui::defaultMessageTitle(), ui::kOk);
                listRows = list.rowsView();  // the message box ran the window
            }
            RecordStore::skip();
        }
    }
    if (!RecordStore::close()) {
        mainwindow::showCannotSaveStore(b, lib.storeFile);
        return false;
    }
    // Our own commit made a version not known here.
    loaded = {written.value(), std::string()};
    return true;
}

void saveAndReload(MainWindow& w, const LibraryDescriptor& lib) {
    const bool told = !saveLibrary(w, lib);
    loadLibrary(w, lib, !told);
}

}  // namespace vorda::libraries
