#pragma once

#include <cstddef>
#include <initializer_list>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

namespace dorimek::masterfile {

// The RegisteredNames of the master file, in file order, as Shift-JIS bytes.
// They are held end to end in one block with the end of each, not as one
// string object per name: a file of 200,000 records is read at start-up,
// and that many separate allocations cost more than reading the file.
// Reads like a vector of string_views; a view stays valid until the names
// change.
class MasterNames {
  public:
    class const_iterator {
      public:
        using iterator_category = std::random_access_iterator_tag;
        using value_type = std::string_view;
        using difference_type = std::ptrdiff_t;
        using pointer = void;
        using reference = std::string_view;

        const_iterator() = default;
        const_iterator(const MasterNames* names, size_t i) : names_(names), i_(i) {}

        std::string_view operator*() const { return (*names_)[i_]; }
        std::string_view operator[](difference_type n) const { return (*names_)[i_ + n]; }
        const_iterator& operator++() { ++i_; return *this; }
        const_iterator operator++(int) { const_iterator old = *this; ++i_; return old; }
        const_iterator& operator--() { --i_; return *this; }
        const_iterator operator--(int) { const_iterator old = *this; --i_; return old; }
        const_iterator& operator+=(difference_type n) { i_ += n; return *this; }
        const_iterator& operator-=(difference_type n) { i_ -= n; return *this; }
        friend const_iterator operator+(const_iterator it, difference_type n) { return it += n; }
        friend const_iterator operator+(difference_type n, const_iterator it) { return it += n; }
        friend const_iterator operator-(const_iterator it, difference_type n) { return it -= n; }
        friend difference_type operator-(const_iterator a, const_iterator b) {
            return static_cast<difference_type>(a.i_) - static_cast<difference_type>(b.i_);
        }
        friend bool operator==(const_iterator a, const_iterator b) { return a.i_ == b.i_; }
        friend auto operator<=>(const_iterator a, const_iterator b) { return a.i_ <=> b.i_; }

      private:
        const MasterNames* names_ = nullptr;
        size_t i_ = 0;
    };

    MasterNames() = default;
    MasterNames(std::initializer_list<std::string_view> names);
    // Deliberately implicit: lists of names built by hand (a table of
    // names, the grid's loaded names) are vectors of strings.
    MasterNames(const std::vector<std::string>& names);  // NOLINT(google-explicit-constructor)

    size_t size() const { return ends_.size(); }
    bool empty() const { return ends_.empty(); }
    std::string_view operator[](size_t i) const {
        const size_t begin = i == 0 ? 0 : ends_[i - 1];
        return std::string_view(bytes_.data() + begin, ends_[i] - begin);
    }
    // Checked: throws std::out_of_range past the end, like a vector's.
    std::string_view at(size_t i) const;
    const_iterator begin() const { return {this, 0}; }
    const_iterator end() const { return {this, size()}; }

    // Room for this many names of this many bytes in all, so that a loader
    // that knows an upper bound never copies what it has read; capacity that
    // is never filled is never touched.
    void reserve(size_t names, size_t bytes);
    void push_back(std::string_view name);
    // Name i becomes name; every other name keeps its number.
    void replace(size_t i, std::string_view name);

    std::vector<std::string> toVector() const;
    bool operator==(const MasterNames& other) const {
        return ends_ == other.ends_ && bytes_ == other.bytes_;
    }

  private:
    std::string bytes_;
    std::vector<size_t> ends_;  // where each name's bytes end in bytes_
};

}  // namespace dorimek::masterfile
