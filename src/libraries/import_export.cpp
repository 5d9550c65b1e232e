#include "libraries/import_export.h"

#include "mainwindow/store_errors.h"
#include "platform/filesystem.h"
#include "storage/record_store.h"
#include "storage/store_files.h"
#include "text/gbk.h"

namespace vorda::libraries {

using storage::RecordStore;

namespace {

const std::string& filterText() { return GBK("文本文档（*.txt）|*.txt"); }

}  // namespace

std::vector<std::string_view> splitPieces(std::string_view text, std::string_view separator) {
    std::vector<std::string_view> pieces;
    std::size_t start = 0;
    for (;;) {
        std::size_t at = text.find(separator, start);
        if (at == std::string_view::npos) break;
        pieces.push_back(text.substr(start, at - start));
        start = at + separator.size();
    }
    if (start < text.size()) pieces.push_back(text.substr(start));
    return pieces;
}

std::string libraryText(const ui::ListView& list, int columns) {
    std::string out;
    const int rows = list.rowCount();
    for (int r = 0; r < rows; ++r) {
        for (int k = 0; k < columns; ++k) {
            std::string cell = list.cell(r, k);
            out += cell.empty() ? std::string(" ") : cell;
            out += '\t';
        }
        out += "\r\n";
    }
    return out;
}

void exportLibrary(MainWindow& w) {
    ui::FileDialog& dialog = w.通用对话框1;
    dialog.save = true;
    dialog.initialDirectory = storage::runDirectory();
    dialog.filter = filterText();
    const LibraryDescriptor* lib = libraryOnPage(w.高级选择夹1.currentPage());
    if (!lib) return;
    // Every data column and the untitled one.
    const std::string text = libraryText(w.*lib->list, lib->dataFields + 1);
    if (!dialog.open()) return;
    const std::string path = dialog.fileName + ".txt";
    ui::Backend& b = w.backend();
    if (platform::fileSystem().writeAll(path, text))
        b.messageBox(GBK("导出成功"), ui::defaultMessageTitle(), ui::kOk);
    else
        b.messageBox(GBK("导出失败：无法写入文件 ") + path, ui::defaultMessageTitle(), ui::kOkExclamation);
}

void importLibrary(MainWindow& w) {
    ui::FileDialog& dialog = w.通用对话框2;
    dialog.initialDirectory = storage::runDirectory();
    dialog.filter = filterText();
    const LibraryDescriptor* lib = libraryOnPage(w.高级选择夹1.currentPage());
    if (!lib) return;
    bool told = false;
    if (dialog.open()) {
        std::string bytes;
        platform::fileSystem().readAll(dialog.fileName, bytes);
        std::string_view text(bytes);
        text = text.substr(0, text.find('\0'));
        std::vector<std::string> fields;
        for (int k = 0; k < lib->dataFields; ++k) fields.push_back(storage::fieldName(k + 1));
        ui::Backend& b = w.backend();
        if (!storage::openStore(lib->storeFile)) {
            mainwindow::showCannotOpenStore(b, lib->storeFile);
            told = true;
        } else {
            for (std::string_view line : splitPieces(text, "\r\n")) {
                // An empty line holds no entry.
                if (line.empty()) continue;
                const std::vector<std::string_view> pieces = splitPieces(line, "\t");
                RecordStore::addBlank();
                // Missing pieces leave their fields empty.
                for (std::size_t k = 0; k < fields.size() && k < pieces.size(); ++k)
                    RecordStore::write(fields[k], std::string(pieces[k]));
            }
            // All lines reach the file in one commit, or none do.
            if (!RecordStore::close()) {
                mainwindow::showCannotSaveStore(b, lib->storeFile);
                told = true;
            }
        }
    }
    // The user hears about the file once per import.
    loadLibrary(w, *lib, !told);
}

}  // namespace vorda::libraries
