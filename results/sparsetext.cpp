#include "sparsetext.h"

#include <cstring>
#include <ostream>
#include <utility>
#include <unordered_set>

const std::string& SparseText::emptyText()
{
    static const std::string none;
    return none;
}

void SparseText::assign(const std::string& value)
{
    if (value.empty())
        text.reset();
    else if (text)
        *text = value;
    else
        text = std::make_unique<std::string>(value);
}

std::ostream& operator<<(std::ostream& out, const SparseText& text)
{
    return out << text.str();
}

namespace {

// Node-based: a text never moves once it is in.
std::unordered_set<std::string>& sharedTexts()
{
    static std::unordered_set<std::string> texts;
    return texts;
}

} // namespace

const std::string& SharedText::str() const
{
    static const std::string none;
    return text ? *text : none;
}

void SharedText::assign(const std::string& value)
{
    text = value.empty() ? nullptr : &*sharedTexts().insert(value).first;
}

char* ShortText::heapBlock() const
{
    char* block;
    std::memcpy(&block, bytes, sizeof block);
    return block;
}

std::string_view ShortText::view() const
{
    if (!onHeap())
        return std::string_view(reinterpret_cast<const char*>(bytes), localCapacity - bytes[localCapacity]);
    const char* block = heapBlock();
    std::size_t length;
    std::memcpy(&length, block, sizeof length);
    return std::string_view(block + sizeof length, length);
}

void ShortText::setLocal(std::string_view text)
{
    std::memset(bytes, 0, sizeof bytes);
    if (!text.empty())
        std::memcpy(bytes, text.data(), text.size());
    bytes[localCapacity] = static_cast<unsigned char>(localCapacity - text.size());
}

// Only on an empty or released text.
void ShortText::assign(std::string_view text)
{
    if (text.size() <= localCapacity) {
        setLocal(text);
        return;
    }
    const std::size_t length = text.size();
    char* block = new char[sizeof length + length];
    std::memcpy(block, &length, sizeof length);
    std::memcpy(block + sizeof length, text.data(), length);
    std::memcpy(bytes, &block, sizeof block);
    bytes[localCapacity] = heapMark;
}

void ShortText::release()
{
    if (onHeap())
        delete[] heapBlock();
    setLocal({});
}

void ShortText::clear()
{
    release();
}

ShortText::ShortText(ShortText&& other) noexcept
{
    std::memcpy(bytes, other.bytes, sizeof bytes);
    other.setLocal({});
}

ShortText& ShortText::operator=(const ShortText& other)
{
    if (this != &other)
        *this = other.view();
    return *this;
}

ShortText& ShortText::operator=(ShortText&& other) noexcept
{
    if (this != &other) {
        release();
        std::memcpy(bytes, other.bytes, sizeof bytes);
        other.setLocal({});
    }
    return *this;
}

ShortText& ShortText::operator=(std::string_view text)
{
    // The text may lie in this one's own block: copied out first.
    ShortText copy;
    copy.assign(text);
    *this = std::move(copy);
    return *this;
}
