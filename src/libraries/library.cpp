#include "libraries/library.h"

#include <algorithm>

#include "mainwindow/store_errors.h"
#include "storage/record_store.h"
#include "storage/store_files.h"
#include "text/gbk.h"

namespace vorda::libraries {

using storage::RecordStore;
using W = MainWindowControls;

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
    // The old rows go first: their memory then serves the new ones.
    list.setRows({});
    std::vector<std::string> fields;
    for (int k = 0; k < lib.dataFields; ++k) fields.push_back(storage::fieldName(k + 1));
    // Rows as wide as the list, so that the list need not widen each of them
    // for the untitled column.
    const auto columns = std::max<std::size_t>(fields.size(), static_cast<std::size_t>(list.columnCount()));
    std::vector<ui::Row> rows;
    rows.reserve(records > 1 ? static_cast<std::size_t>(records - 1) : 0);
    for (int i = 0; i + 1 < records; ++i) {
        ui::Row& row = rows.emplace_back(columns);
        for (std::size_t k = 0; k < fields.size(); ++k) row[k] = RecordStore::read(fields[k]);
        RecordStore::skip();
    }
    list.setRows(std::move(rows));
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
    std::vector<std::string> fields;
    for (int k = 0; k < lib.dataFields; ++k) fields.push_back(storage::fieldName(k + 1));
    auto writeRow = [&](int row, int fromColumn) {
        for (int k = fromColumn; k < lib.dataFields; ++k) RecordStore::write(fields[k], list.cell(row, k));
    };

    const int records = RecordStore::recordCount();
    const int rows = list.rowCount();
    if (records < 1) {
        // Without its header record the file is not a library store; entries
        // written now would take the header's place.
        RecordStore::close();
        mainwindow::showCannotSaveStore(b, lib.storeFile);
        return false;
    }
    RecordStore::first();
    RecordStore::skip();
    if (records >= rows + 2) {
        for (int i = 0; i < rows; ++i) {
            writeRow(i, 0);
            RecordStore::skip();
        }
        for (int i = rows; i <= records - 2; ++i) {
            RecordStore::deleteCurrent();
            RecordStore::skip();
        }
        RecordStore::purgeDeleted();
    } else {
        for (int i = 0; i <= records - 2; ++i) {
            writeRow(i, 0);
            RecordStore::skip();
        }
        for (int i = records - 1; i < rows; ++i) {
            RecordStore::addBlank();
            if (!RecordStore::write(fields[0], list.cell(i, 0)))
                b.messageBox(GBK("失败"), ui::defaultMessageTitle(), ui::kOk);
            writeRow(i, 1);
            RecordStore::skip();
        }
    }
    if (!RecordStore::close()) {
        mainwindow::showCannotSaveStore(b, lib.storeFile);
        return false;
    }
    return true;
}

void saveAndReload(MainWindow& w, const LibraryDescriptor& lib) {
    const bool told = !saveLibrary(w, lib);
    loadLibrary(w, lib, !told);
}

}  // namespace vorda::libraries
