#pragma once
// Whole-store helpers for tests: write a store from rows, read it back as rows.
#include <optional>
#include <string>
#include <vector>

#include "storage/record_store.h"

namespace vorda::testing {

using Row = std::vector<std::string>;
using Rows = std::vector<Row>;

// Text fields with these names, each maxLength bytes.
std::vector<storage::FieldDefinition> textFields(const std::vector<std::string>& names, int maxLength = 100);

// create, open, setPassword (when given), one record per row, close. True when
// every step succeeded.
bool writeStore(const std::string& path, const std::vector<storage::FieldDefinition>& fields,
                const Rows& rows, const std::optional<std::string>& password = std::nullopt);

// Every record of the current store from record 1 on, one text per field.
// Leaves the cursor at the end position.
Rows currentRows(const std::vector<storage::FieldDefinition>& fields);

// open, currentRows, close; nullopt when open fails.
std::optional<Rows> readStore(const std::string& path, const std::vector<storage::FieldDefinition>& fields,
                              const std::optional<std::string>& password = std::nullopt);

}  // namespace vorda::testing
