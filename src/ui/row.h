#pragma once
// One row of a list view. Its cells sit back to back in one buffer, each ended
// by a zero byte, so that a row costs one allocation instead of one per cell: a
// library of 100,000 entries is 100,000 allocations, not 700,000, and a row
// refilled with texts of about the same length allocates nothing.
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <iterator>
#include <string>
#include <string_view>

namespace vorda::ui {

class Row {
public:
    Row() = default;
    explicit Row(std::size_t columns, std::string_view text = {});
    Row(std::initializer_list<std::string_view> cells);

    std::size_t size() const { return columns_; }
    bool empty() const { return columns_ == 0; }
    // Empty past the last column.
    std::string_view operator[](std::size_t column) const;

    // Like a window text, a cell ends at its first zero byte.
    void set(std::size_t column, std::string_view text);
    void push_back(std::string_view text);
    // New cells are empty.
    void resize(std::size_t columns);
    // No cells; the buffer keeps its room for the texts that follow.
    void clear();
    // Room for cells of this many bytes in all, zero bytes included, so that
    // filling the row allocates once.
    void reserve(std::size_t bytes) { bytes_.reserve(bytes); }

    friend bool operator==(const Row& a, const Row& b) {
        return a.columns_ == b.columns_ && a.bytes_ == b.bytes_;
    }

    // The cells in order.
    class const_iterator {
    public:
        using iterator_category = std::forward_iterator_tag;
        using value_type = std::string_view;
        using difference_type = std::ptrdiff_t;
        using pointer = const std::string_view*;
        using reference = std::string_view;

        const_iterator() = default;
        std::string_view operator*() const { return {at_, length()}; }
        const_iterator& operator++() {
            at_ += length() + 1;
            return *this;
        }
        const_iterator operator++(int) {
            const_iterator old = *this;
            ++*this;
            return old;
        }
        friend bool operator==(const const_iterator& a, const const_iterator& b) { return a.at_ == b.at_; }
        friend bool operator!=(const const_iterator& a, const const_iterator& b) { return a.at_ != b.at_; }

    private:
        friend class Row;
        explicit const_iterator(const char* at) : at_(at) {}
        std::size_t length() const;
        const char* at_ = nullptr;
    };
    const_iterator begin() const { return const_iterator(bytes_.data()); }
    const_iterator end() const { return const_iterator(bytes_.data() + bytes_.size()); }

private:
    // Where cell `column` starts; bytes_.size() past the last one.
    std::size_t offsetOf(std::size_t column) const;

    std::string bytes_;
    std::uint32_t columns_ = 0;
};

}  // namespace vorda::ui
