#pragma once

#include "TReportTextElement.h"

#include <string>
#include <vector>

namespace dorimek::report {

// A list of Shift-JIS lines, filled by the sheets with clear() and add().
class TReportLines {
  public:
    void clear() { lines_.clear(); }
    void add(std::string sjis) { lines_.push_back(std::move(sjis)); }
    int count() const { return static_cast<int>(lines_.size()); }
    const std::string& at(int i) const { return lines_.at(static_cast<size_t>(i)); }
    const std::vector<std::string>& all() const { return lines_; }
    auto begin() const { return lines_.begin(); }
    auto end() const { return lines_.end(); }

  private:
    std::vector<std::string> lines_;
};

class TReportMemo : public TReportTextElement {
  public:
    explicit TReportMemo(QString name);

    TReportLines Lines;

    std::vector<std::string> paragraphs() const override { return Lines.all(); }
};

}  // namespace dorimek::report
