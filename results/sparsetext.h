#pragma once

#include <cstddef>
#include <iosfwd>
#include <memory>
#include <string>
#include <string_view>

// A text that costs one pointer while it is empty, as nearly every record's
// texts are; it reads like a const std::string.
class SparseText {
public:
    SparseText() = default;
    SparseText(const std::string& text) { assign(text); }
    SparseText(const char* text) { assign(text); }
    SparseText(const SparseText& other) { assign(other.str()); }
    SparseText(SparseText&&) noexcept = default;
    SparseText& operator=(const SparseText& other)
    {
        if (this != &other)
            assign(other.str());
        return *this;
    }
    SparseText& operator=(SparseText&&) noexcept = default;
    SparseText& operator=(const std::string& text)
    {
        assign(text);
        return *this;
    }
    SparseText& operator=(const char* text)
    {
        assign(text);
        return *this;
    }

    const std::string& str() const { return text ? *text : emptyText(); }
    operator const std::string&() const { return str(); }
    bool empty() const { return !text; }
    void clear() { text.reset(); }
    std::size_t size() const { return str().size(); }

    friend bool operator==(const SparseText& a, const SparseText& b) { return a.str() == b.str(); }
    friend bool operator==(const SparseText& a, const std::string& b) { return a.str() == b; }
    friend bool operator==(const SparseText& a, const char* b) { return a.str() == b; }
    friend std::ostream& operator<<(std::ostream& out, const SparseText& text);

private:
    static const std::string& emptyText();
    void assign(const std::string& value);

    std::unique_ptr<std::string> text;  // never an empty string
};

// A text of which few different ones exist, such as a folder: every holder
// of the same characters shares one copy, kept for the program's lifetime,
// so setting one folder on every project of a database costs one pointer
// each. Empty costs nothing.
class SharedText {
public:
    SharedText() = default;
    SharedText(const std::string& text) { assign(text); }
    SharedText& operator=(const std::string& text)
    {
        assign(text);
        return *this;
    }

    const std::string& str() const;
    operator const std::string&() const { return str(); }
    bool empty() const { return !text; }
    void clear() { text = nullptr; }

    friend bool operator==(const SharedText& a, const SharedText& b) { return a.str() == b.str(); }
    friend bool operator==(const SharedText& a, const std::string& b) { return a.str() == b; }

private:
    void assign(const std::string& value);

    const std::string* text = nullptr;  // never an empty string
};

// A text that holds up to 15 characters in place and longer ones in one
// heap block: a name such as "Unnamed(12345)" in 16 bytes, half of what a
// std::string takes. It reads as a std::string_view.
class ShortText {
public:
    ShortText() { setLocal({}); }
    ShortText(std::string_view text) { assign(text); }
    ShortText(const std::string& text) { assign(text); }
    ShortText(const char* text) { assign(text); }
    ShortText(const ShortText& other) { assign(other.view()); }
    ShortText(ShortText&& other) noexcept;
    ShortText& operator=(const ShortText& other);
    ShortText& operator=(ShortText&& other) noexcept;
    ShortText& operator=(std::string_view text);
    ShortText& operator=(const std::string& text) { return *this = std::string_view(text); }
    ShortText& operator=(const char* text) { return *this = std::string_view(text); }
    ~ShortText() { release(); }

    std::string_view view() const;
    std::string str() const { return std::string(view()); }
    operator std::string() const { return str(); }
    bool empty() const { return view().empty(); }
    std::size_t size() const { return view().size(); }
    void clear();

    friend bool operator==(const ShortText& a, const ShortText& b) { return a.view() == b.view(); }
    friend bool operator==(const ShortText& a, std::string_view b) { return a.view() == b; }
    friend bool operator==(const ShortText& a, const std::string& b) { return a.view() == b; }
    friend bool operator==(const ShortText& a, const char* b) { return a.view() == b; }

private:
    static constexpr std::size_t localCapacity = 15;
    // The last byte: localCapacity minus the length while the text is in
    // place (so a text of 15 characters ends with a 0 there), heapMark
    // while bytes[0..8) hold the pointer to a heap block of its length and
    // characters.
    static constexpr unsigned char heapMark = 0xFF;

    bool onHeap() const { return bytes[localCapacity] == heapMark; }
    char* heapBlock() const;
    void setLocal(std::string_view text);
    void assign(std::string_view text);
    void release();

    alignas(char*) unsigned char bytes[16];
};
