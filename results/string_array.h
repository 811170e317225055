// An ordered list of strings with the tokenizer the output view uses to split
// the report's month heading.
#pragma once

#include "common/prompter.h"

#include <string>
#include <string_view>
#include <vector>

namespace vek {

class StringArray {
  public:
    // Out-of-range requests are reported through prompter when one is given.
    explicit StringArray(Prompter *prompter = nullptr) : prompter_(prompter) {}

    // Empties the list, then appends the tokens of text split at any of the
    // delimiter characters. Runs of delimiters give no empty tokens. An empty
    // delimiter set means blank, comma, tab and line feed.
    void tokenize(std::string_view text, std::string_view delimiters = {});

    // The i-th token; outside the list shows
    // "[StringArray::operator[]] Request out of range.\n" and yields "".
    std::string operator[](int i) const;

    int size() const { return static_cast<int>(items_.size()); }
    void removeAt(int i);
    void append(std::string s) { items_.push_back(std::move(s)); }

  private:
    Prompter *prompter_;
    std::vector<std::string> items_;
};

} // namespace vek
