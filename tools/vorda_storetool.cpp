// Writes and checks a known pair of store files, so a file written by one build
// (native or Windows) can be checked by the other; also writes fuzz seeds.
//
//   vorda_storetool write <dir> [--cheap-kdf]   data.edb and dataex.edb in <dir> (made when missing)
//   vorda_storetool check <dir>                 exit 0 when both hold what write wrote
//   vorda_storetool seeds <dir>                 seed inputs for fuzz_store_reader
//   vorda_storetool big <dir> <entries>         an account "bench" / "bench" (no automatic
//                                               sign-in) and <entries> entries in each library
//
// Exit codes: 0 success, 1 check or write failed, 2 usage.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/filesystem.h"
#include "storage/record_store.h"
#include "storage/store_files.h"
#include "storage/store_format.h"
#include "storage/store_tuning.h"
#include "text/gbk.h"

namespace {

using namespace vorda;
using storage::fieldName;
using storage::RecordStore;

using Row = std::vector<std::string>;

// Header record of data.edb, then entries. The tool writes each row as given;
// the stored form is what the check expects.
Row dataHeader() {
    return {"*1*" + GBK("用户甲"), "pass word", GBK("网站"), GBK("邮箱"), "", "PIN", GBK("备注栏")};
}

std::vector<Row> dataEntries() {
    return {
        {GBK("银行"), "bank.example", "alice", GBK("密码一二三"), "", GBK("无")},
        {"tab\there", "", "", "", "", ""},
        // 99 ASCII bytes and a double-byte character: cut before the character.
        {std::string(99, 'a') + GBK("中"), std::string(150, 'b'), "", "", "", ""},
    };
}

std::vector<Row> dataExEntries() {
    return {{GBK("项目"), "https://example.org/", "bob", "s3cr3t!", GBK("备注：中文")}};
}

Row stored(Row row) {
    for (auto& cell : row) cell = std::string(text::cutToBytes(cell, storage::kStoreFieldLength));
    return row;
}

bool appendRows(const std::vector<Row>& rows) {
    bool ok = true;
    for (const Row& row : rows) {
        ok = RecordStore::addBlank() && ok;
        for (std::size_t i = 0; i < row.size(); ++i)
            ok = RecordStore::write(fieldName(int(i) + 1), row[i]) && ok;
    }
    return ok;
}

int write(bool cheapKdf) {
    if (cheapKdf) storage::setKdfIterationsForNewFiles(16);
    const std::string dir = storage::runDirectory();
    for (const char* name : {storage::kDataFile, storage::kDataExFile})
        platform::fileSystem().remove(dir + "\\" + name);
    bool ok = storage::createDataStore() && storage::createDataExStore() && storage::writeDataExHeader();
    if (ok && storage::openStore(storage::kDataFile)) {
        ok = appendRows({dataHeader()}) && appendRows(dataEntries()) && ok;
        // One record marked deleted stays in the file until purged.
        ok = appendRows({{"deleted"}}) && RecordStore::deleteCurrent() && ok;
        ok = RecordStore::close() && ok;
    } else {
        ok = false;
    }
    if (ok && storage::openStore(storage::kDataExFile)) {
        ok = appendRows(dataExEntries()) && RecordStore::close() && ok;
    } else {
        ok = false;
    }
    if (!ok) std::fprintf(stderr, "write failed\n");
    return ok ? 0 : 1;
}

bool expectRows(const char* file, std::vector<Row> want, int fieldCount) {
    if (!storage::openStore(file)) {
        std::fprintf(stderr, "%s: cannot open\n", file);
        return false;
    }
    bool ok = RecordStore::recordCount() == static_cast<int>(want.size());
    for (std::size_t r = 0; ok && r < want.size(); ++r) {
        want[r].resize(static_cast<std::size_t>(fieldCount));
        for (int f = 0; f < fieldCount; ++f) {
            const std::string got = RecordStore::read(fieldName(f + 1));
            if (got != want[r][static_cast<std::size_t>(f)]) {
                std::fprintf(stderr, "%s: record %zu field %d: got \"%s\"\n", file, r + 1, f + 1,
                             text::utf8FromGbk(got).c_str());
                ok = false;
            }
        }
        RecordStore::skip();
    }
    if (RecordStore::recordCount() != static_cast<int>(want.size()))
        std::fprintf(stderr, "%s: %d records\n", file, RecordStore::recordCount());
    RecordStore::close();
    return ok;
}

int check() {
    std::vector<Row> data = {stored(dataHeader())};
    for (const Row& row : dataEntries()) data.push_back(stored(row));
    data.push_back({"deleted"});
    std::vector<Row> dataEx = {{GBK("密码库2"), "1"}};
    for (const Row& row : dataExEntries()) dataEx.push_back(stored(row));
    bool ok = expectRows(storage::kDataFile, data, storage::kDataFieldCount) &&
              expectRows(storage::kDataExFile, dataEx, storage::kDataExFieldCount);
    // The deleted mark came across too: purging drops exactly that record.
    if (ok && storage::openStore(storage::kDataFile)) {
        RecordStore::purgeDeleted();
        if (RecordStore::recordCount() != static_cast<int>(data.size()) - 1) {
            std::fprintf(stderr, "data.edb: deleted mark lost\n");
            ok = false;
        }
        RecordStore::abandonAll();  // leave the file as it is
    }
    std::fprintf(stderr, ok ? "check passed\n" : "check failed\n");
    return ok ? 0 : 1;
}

bool writeBytes(const std::string& path, const std::string& bytes) {
    return platform::fileSystem().writeAll(path, bytes);
}

std::string payloadOf(std::vector<storage::FieldDefinition> fields, std::vector<Row> rows,
                      std::vector<std::uint8_t> deleted) {
    storage::format::StoreContent content;
    content.fields = std::move(fields);
    content.deleted = std::move(deleted);
    for (Row& row : rows) {
        row.resize(content.fields.size());
        for (std::string& cell : row)
            content.cells.push_back({cell.data(), static_cast<std::uint32_t>(cell.size())});
    }
    std::string out(storage::format::payloadSize(content), '\0');
    storage::format::writePayload(content, out.data());
    return out;
}

int seeds() {
    storage::setKdfIterationsForNewFiles(16);
    const std::string dir = storage::runDirectory();
    const auto two = std::vector<storage::FieldDefinition>{{"a", storage::FieldKind::Text, 100},
                                                           {GBK("名1"), storage::FieldKind::Text, 4}};
    bool ok = writeBytes(dir + "\\payload-empty.bin", payloadOf(two, {}, {})) &&
              writeBytes(dir + "\\payload-records.bin",
                         payloadOf(two, {{"x", GBK("中文")}, {"", "yz"}, {"deleted", ""}}, {0, 0, 1}));
    // Store files, cheap to open: one unprotected, one under the access password.
    ok = RecordStore::create(dir + "\\store-empty.edb", two) && ok;
    const std::string full = dir + "\\store-records.edb";
    ok = RecordStore::create(full, storage::dataExSchema()) && RecordStore::open(full) && ok;
    if (ok) {
        RecordStore::setPassword(storage::accessPassword());
        appendRows({{GBK("密码库2"), "1"}});
        appendRows(dataExEntries());
        ok = RecordStore::close();
    }
    platform::fileSystem().remove(dir + "\\store-empty.edb.lock");
    platform::fileSystem().remove(full + ".lock");
    if (!ok) std::fprintf(stderr, "seeds failed\n");
    return ok ? 0 : 1;
}

// About 20 bytes a cell, the names partly Chinese, as a full library might be.
std::string bigCell(int entry, int column) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%07d-c%d-%08d", entry, column, entry * 7 + column);
    return column == 0 ? GBK("项目") + buf : std::string(buf);
}

int big(int entries) {
    const std::string dir = storage::runDirectory();
    for (const char* name : {storage::kDataFile, storage::kDataExFile})
        platform::fileSystem().remove(dir + "\\" + name);
    bool ok = storage::createDataStore() && storage::createDataExStoreWithHeader();
    auto fill = [&](const char* file, int fields, const Row* header) {
        if (!ok || !storage::openStore(file)) return false;
        bool done = !header || appendRows({*header});
        for (int e = 0; done && e < entries; ++e) {
            done = RecordStore::addBlank();
            for (int k = 0; k < fields; ++k) done = RecordStore::write(fieldName(k + 1), bigCell(e, k)) && done;
        }
        return RecordStore::close() && done;
    };
    const Row header = {"bench", "bench", GBK("网站"), GBK("账号"), GBK("密码"), GBK("邮箱"), GBK("备注")};
    ok = fill(storage::kDataFile, 6, &header) && fill(storage::kDataExFile, 5, nullptr);
    if (!ok) std::fprintf(stderr, "big failed\n");
    return ok ? 0 : 1;
}

int usage() {
    std::fprintf(stderr,
                 "usage: vorda_storetool write <dir> [--cheap-kdf] | check <dir> | seeds <dir> | big <dir> <entries>\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) return usage();
    const std::string command = argv[1];
#ifdef _WIN32
    const std::string dir = argv[2];  // already in the ANSI code page (936)
#else
    const std::string dir = text::gbkFromUtf8(argv[2]);
#endif
    storage::setRunDirectory(dir);
    if (command == "write" || command == "seeds" || command == "big") {
        std::error_code ec;
        std::filesystem::create_directories(std::filesystem::path(text::utf16FromGbk(dir)), ec);
    }
    const bool cheap = argc > 3 && std::string(argv[3]) == "--cheap-kdf";
    if (command == "write" && (argc == 3 || (argc == 4 && cheap))) return write(cheap);
    if (command == "check" && argc == 3) return check();
    if (command == "seeds" && argc == 3) return seeds();
    if (command == "big" && argc == 4) return big(std::atoi(argv[3]));
    return usage();
}
