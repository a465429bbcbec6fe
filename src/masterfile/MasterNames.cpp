#include "MasterNames.h"

#include <stdexcept>

namespace dorimek::masterfile {

MasterNames::MasterNames(std::initializer_list<std::string_view> names) {
    for (std::string_view n : names) push_back(n);
}

MasterNames::MasterNames(const std::vector<std::string>& names) {
    for (const std::string& n : names) push_back(n);
}

std::string_view MasterNames::at(size_t i) const {
    if (i >= size()) throw std::out_of_range("MasterNames::at");
    return (*this)[i];
}

void MasterNames::reserve(size_t names, size_t bytes) {
    ends_.reserve(names);
    bytes_.reserve(bytes);
}

void MasterNames::push_back(std::string_view name) {
    bytes_.append(name);
    ends_.push_back(bytes_.size());
}

void MasterNames::replace(size_t i, std::string_view name) {
    const size_t begin = i == 0 ? 0 : ends_[i - 1];
    const size_t oldSize = ends_[i] - begin;
    bytes_.replace(begin, oldSize, name);
    if (name.size() == oldSize) return;
    for (size_t j = i; j < ends_.size(); ++j) ends_[j] = ends_[j] - oldSize + name.size();
}

std::vector<std::string> MasterNames::toVector() const {
    std::vector<std::string> out;
    out.reserve(size());
    for (std::string_view n : *this) out.emplace_back(n);
    return out;
}

}  // namespace dorimek::masterfile
