#include "libraries/editing.h"

#include "text/gbk.h"

namespace vorda::libraries {

const std::string& searchHint() { return GBK("搜索项目"); }

void showSelectedEntry(MainWindow& w, const LibraryDescriptor& lib) {
    const ui::ListView& list = w.*lib.list;
    const std::vector<int> selected = list.selectedRows();
    const int row = selected.empty() ? -1 : selected.front();
    for (int k = 0; k < lib.dataFields; ++k) {
        // Several selected rows leave every box empty.
        const bool one = selected.size() == 1;
        (w.*lib.edits[k]).setText(one ? list.cell(row, k) : std::string());
    }
}

void addOrUpdateEntry(MainWindow& w, const LibraryDescriptor& lib) {
    ui::Backend& b = w.backend();
    const ui::ListView& list = w.*lib.list;
    std::vector<std::string> texts;
    for (int k = 0; k < lib.dataFields; ++k) texts.push_back((w.*lib.edits[k]).text());
    if (texts[0].empty()) {
        b.messageBox(GBK("项目名不能为空！"), GBK("提示"), ui::kOk);
        return;
    }
    bool updated = false;
    std::span<const ui::Row> rows = list.rowsView();
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (rows[i][0] != texts[0]) continue;
        const int row = static_cast<int>(i);
        if (b.messageBox(GBK("已存在的项目，确认要更新吗？"), GBK("提示"), ui::kOkCancel) == ui::kIdOk) {
            for (int k = 0; k < lib.dataFields; ++k) list.setCell(row, k, texts[k]);
            updated = true;
        }
        // The question ran the window; the row may have changed.
        rows = list.rowsView();
    }
    if (!updated && b.messageBox(GBK("确认添加新项目吗？"), GBK("询问"), ui::kOkCancelQuestion) == ui::kIdOk) {
        const int at = list.rowCount();
        list.insertRow(at);
        for (int k = 0; k < lib.dataFields; ++k) list.setCell(at, k, texts[k]);
    }
    saveAndReload(w, lib);
}

void deleteSelectedEntries(MainWindow& w, const LibraryDescriptor& lib) {
    const ui::ListView& list = w.*lib.list;
    const std::vector<int> selected = list.selectedRows();
    if (selected.empty()) return;
    if (w.backend().messageBox(GBK("确认要删除选中项吗？"), GBK("提示"), ui::kOkCancel) != ui::kIdOk) {
        if (lib.reloadWhenDeleteDeclined) saveAndReload(w, lib);
        return;
    }
    // Each deletion moves the rows below it up by one.
    for (std::size_t j = 0; j < selected.size(); ++j) list.deleteRow(selected[j] - static_cast<int>(j));
    saveAndReload(w, lib);
}

void deleteByPage(MainWindow& w) {
    if (const LibraryDescriptor* lib = libraryOnPage(w.高级选择夹1.currentPage())) deleteSelectedEntries(w, *lib);
}

void searchEntries(MainWindow& w, const LibraryDescriptor& lib) {
    const ui::ListView& list = w.*lib.list;
    // Taking the focus from the search box may put the hint back into it first.
    list.focus();
    const std::string wanted = (w.*lib.searchBox).text();
    const int rows = list.rowCount();
    if (wanted.empty() || rows == 0) return;
    for (int i = 0; i < rows; ++i) {
        if (text::findAtCharStart(list.cellView(i, 0), wanted) == std::string::npos) continue;
        list.focus();
        list.ensureVisible(i);
        list.select(i);
    }
}

void copyField(MainWindow& w, const LibraryDescriptor& lib, int column) {
    const std::string value = (w.*lib.edits[column]).text();
    if (value.empty()) return;
    // A clipboard that cannot be opened gets nothing; the notice shows anyway.
    w.backend().setClipboardText(value);
    w.backend().timedNotice(GBK("      已复制项目到剪贴板！"), GBK("文本复制"), 200);
}

}  // namespace vorda::libraries
