#include "formatstrings.h"

int TFormatStrings::Add(const std::string &text_)
{
    formats.emplace_back();
    lines.push_back(text_);
    return Count() - 1;
}

void TFormatStrings::Clear()
{
    lines.clear();
    formats.clear();
}

std::string TFormatStrings::Text() const
{
    std::string text;
    for (const std::string &line : lines) {
        text += line;
        text += '\n';
    }
    return text;
}
