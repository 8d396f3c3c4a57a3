// GroupTexts.h: the texts of the statements in the embedded engine's open commit group, kept
// so that, if the group is lost, every statement already reported as done can be named. The
// strings are reused from group to group: keeping a text costs no allocation once warm.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace qiva::db {

class GroupTexts {
 public:
  void Add(std::string_view text) {
    if (size_ < texts_.size()) {
      texts_[size_].assign(text);
    } else {
      texts_.emplace_back(text);
    }
    ++size_;
  }
  // The group was committed: its texts are no longer needed.
  void Clear() { size_ = 0; }
  // The group was lost: hands out its texts in order and starts an empty group.
  std::vector<std::string> Take() {
    std::vector<std::string> out(texts_.begin(),
                                 texts_.begin() + static_cast<std::ptrdiff_t>(size_));
    size_ = 0;
    return out;
  }
  std::size_t size() const { return size_; }

 private:
  std::vector<std::string> texts_;
  std::size_t size_ = 0;
};

}  // namespace qiva::db
