#include "textutil.h"

namespace {

unsigned char upper(unsigned char c)
{
    return c >= 'a' && c <= 'z' ? static_cast<unsigned char>(c - 'a' + 'A') : c;
}

bool isSeparator(char c)
{
    return c == '\\' || c == '/' || c == ':';
}

} // namespace

int compareTextIgnoringCase(const std::string &a_, const std::string &b_)
{
    const std::size_t n = a_.size() < b_.size() ? a_.size() : b_.size();
    for (std::size_t i = 0; i < n; ++i) {
        const unsigned char x = upper(static_cast<unsigned char>(a_[i]));
        const unsigned char y = upper(static_cast<unsigned char>(b_[i]));
        if (x != y)
            return x < y ? -1 : 1;
    }
    return a_.size() == b_.size() ? 0 : (a_.size() < b_.size() ? -1 : 1);
}

bool sameTextIgnoringCase(const std::string &a_, const std::string &b_)
{
    return a_.size() == b_.size() && compareTextIgnoringCase(a_, b_) == 0;
}

std::string upperCaseAscii(std::string text_)
{
    for (char &c : text_)
        c = static_cast<char>(upper(static_cast<unsigned char>(c)));
    return text_;
}

std::string extractFileName(const std::string &path_)
{
    std::size_t i = path_.size();
    while (i > 0 && !isSeparator(path_[i - 1]))
        --i;
    return path_.substr(i);
}

std::string extractFileExt(const std::string &path_)
{
    const std::string name = extractFileName(path_);
    const std::size_t dot = name.rfind('.');
    return dot == std::string::npos ? std::string() : name.substr(dot);
}
