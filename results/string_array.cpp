// StringArray: tokenizer and bounds-checked access.
#include "results/string_array.h"

namespace vek {

void StringArray::tokenize(std::string_view text, std::string_view delimiters) {
    items_.clear();
    if (delimiters.empty()) delimiters = " ,\t\n";
    size_t i = 0;
    while (i < text.size()) {
        size_t b = text.find_first_not_of(delimiters, i);
        if (b == std::string_view::npos) break;
        size_t e = text.find_first_of(delimiters, b);
        if (e == std::string_view::npos) e = text.size();
        items_.emplace_back(text.substr(b, e - b));
        i = e;
    }
}

std::string StringArray::operator[](int i) const {
    if (i < 0 || i >= size()) {
        if (prompter_) prompter_->message("[StringArray::operator[]] Request out of range.\n");
        return {};
    }
    return items_[static_cast<size_t>(i)];
}

void StringArray::removeAt(int i) {
    if (i >= 0 && i < size()) items_.erase(items_.begin() + i);
}

} // namespace vek
