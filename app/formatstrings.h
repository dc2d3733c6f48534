#pragma once

#include <string>
#include <vector>

// Lines of text (Windows-1252 bytes) with a parallel list that holds one
// entry per line, the line's format, empty unless set after adding.
class TFormatStrings {
public:
    int Add(const std::string &text_);
    void Clear();

    int Count() const { return static_cast<int>(lines.size()); }
    const std::vector<std::string> &Strings() const { return lines; }
    const std::vector<std::string> &Formats() const { return formats; }
    // The format of line index_; the index must be below Count().
    std::string &Format(int index_) { return formats.at(static_cast<std::size_t>(index_)); }
    // Every line followed by a line break.
    std::string Text() const;

private:
    std::vector<std::string> lines;
    std::vector<std::string> formats;
};

