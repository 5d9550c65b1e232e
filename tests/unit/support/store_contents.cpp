#include "support/store_contents.h"

namespace vorda::testing {

using storage::RecordStore;

std::vector<storage::FieldDefinition> textFields(const std::vector<std::string>& names, int maxLength) {
    std::vector<storage::FieldDefinition> fields;
    for (const auto& name : names) fields.push_back({name, storage::FieldKind::Text, maxLength});
    return fields;
}

bool writeStore(const std::string& path, const std::vector<storage::FieldDefinition>& fields,
                const Rows& rows, const std::optional<std::string>& password) {
    if (!RecordStore::create(path, fields) || !RecordStore::open(path)) return false;
    bool ok = !password || RecordStore::setPassword(*password);
    for (const Row& row : rows) {
        ok = RecordStore::addBlank() && ok;
        for (std::size_t i = 0; i < row.size() && i < fields.size(); ++i)
            ok = RecordStore::write(fields[i].name, row[i]) && ok;
    }
    return RecordStore::close() && ok;
}

Rows currentRows(const std::vector<storage::FieldDefinition>& fields) {
    Rows rows;
    RecordStore::first();
    for (int i = 0; i < RecordStore::recordCount(); ++i) {
        Row row;
        for (const auto& f : fields) row.push_back(RecordStore::read(f.name));
        rows.push_back(std::move(row));
        RecordStore::skip();
    }
    return rows;
}

std::optional<Rows> readStore(const std::string& path, const std::vector<storage::FieldDefinition>& fields,
                              const std::optional<std::string>& password) {
    if (!RecordStore::open(path, password)) return std::nullopt;
    Rows rows = currentRows(fields);
    RecordStore::close();
    return rows;
}

}  // namespace vorda::testing
