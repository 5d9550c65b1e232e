#include "ui/row.h"

#include <cstring>

namespace vorda::ui {

namespace {

std::string_view upToZero(std::string_view text) {
    // An empty view may have no data at all, which memchr must not see.
    if (text.empty()) return text;
    if (const void* zero = std::memchr(text.data(), 0, text.size()))
        return text.substr(0, static_cast<std::size_t>(static_cast<const char*>(zero) - text.data()));
    return text;
}

}  // namespace

Row::Row(std::size_t columns, std::string_view text) {
    text = upToZero(text);
    bytes_.reserve(columns * (text.size() + 1));
    for (std::size_t k = 0; k < columns; ++k) push_back(text);
}

Row::Row(std::initializer_list<std::string_view> cells) {
    for (std::string_view cell : cells) push_back(cell);
}

std::size_t Row::const_iterator::length() const {
    return std::strlen(at_);
}

std::size_t Row::offsetOf(std::size_t column) const {
    if (column >= columns_) return bytes_.size();
    std::size_t at = 0;
    for (std::size_t k = 0; k < column; ++k) at += std::strlen(bytes_.data() + at) + 1;
    return at;
}

std::string_view Row::operator[](std::size_t column) const {
    if (column >= columns_) return {};
    const char* at = bytes_.data() + offsetOf(column);
    return {at, std::strlen(at)};
}

void Row::set(std::size_t column, std::string_view text) {
    if (column >= columns_) return;
    text = upToZero(text);
    const std::size_t at = offsetOf(column);
    bytes_.replace(at, std::strlen(bytes_.data() + at), text);
}

void Row::push_back(std::string_view text) {
    text = upToZero(text);
    bytes_.append(text);
    bytes_.push_back('\0');
    ++columns_;
}

void Row::resize(std::size_t columns) {
    if (columns < columns_) {
        bytes_.resize(offsetOf(columns));
        columns_ = static_cast<std::uint32_t>(columns);
        return;
    }
    bytes_.append(columns - columns_, '\0');
    columns_ = static_cast<std::uint32_t>(columns);
}

void Row::clear() {
    bytes_.clear();
    columns_ = 0;
}

}  // namespace vorda::ui
