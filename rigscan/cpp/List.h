#ifndef RIGSCAN_LIST_H
#define RIGSCAN_LIST_H

#include <type_traits>
#include <utility>
#include <vector>

#include "modelstream.h"
#include "readbudget.h"

namespace KV_Rigscan {

// A named list of records or values held by value, N being its identifier.
// The elements lie side by side; none is copied on its way in.
template <class T, int N>
class List : public BaseList {
public:
    class Length : public BaseList::Length {
    public:
        using BaseList::Length::Length;
    };

    using Elements = std::vector<T>;
    using const_iterator = typename Elements::const_iterator;
    using iterator = typename Elements::iterator;

    List() = default;

    const char *getName() const override { return name; }
    int getID() const override { return N; }
    // Keeps its own copy of the text.
    void setName(const char *name_) { name = internedName(name_); }
    // For a label that lives as long as the program: only the pointer is kept.
    void setLabel(const char *label_) { name = label_ ? label_ : ""; }

    void append(const T &element_) { elements.push_back(element_); }
    void append(T &&element_) { elements.push_back(std::move(element_)); }
    void clear() { elements.clear(); }
    unsigned count() const { return static_cast<unsigned>(elements.size()); }
    bool empty() const { return elements.empty(); }
    iterator begin() { return elements.begin(); }
    iterator end() { return elements.end(); }
    const_iterator begin() const { return elements.begin(); }
    const_iterator end() const { return elements.end(); }
    const T &front() const { return elements.front(); }
    const T &back() const { return elements.back(); }

    void writeToStream(BaseOutputStream &out_) const override
    {
        const Length length(count());
        out_ << static_cast<const BaseList::Length &>(length);
        for (const T &element : elements)
            send(out_, element);
    }

    // Appends the elements read. They are read one at a time and each takes
    // bytes of the stream, so a count larger than the data runs into the
    // stream's end instead of reserving anything; the room they take is
    // charged to the read's budget as it grows.
    void readFromStream(BaseInputStream &in_) override
    {
        Length length;
        in_ >> static_cast<BaseList::Length &>(length);
        for (unsigned i = 0; i < length.get(); ++i) {
            if (elements.size() == elements.capacity()) {
                const std::size_t grown = elements.empty() ? 1 : 2 * elements.size();
                ReadBudget::charge((grown - elements.capacity()) * sizeof(T));
                elements.reserve(grown);
            }
            // Read in place; an element that fails to read is not kept.
            elements.emplace_back();
            try {
                receive(in_, elements.back());
            } catch (...) {
                elements.pop_back();
                throw;
            }
        }
    }

private:
    static constexpr bool isRecord = std::is_base_of_v<BaseContainer, T>;

    static void send(BaseOutputStream &out_, const T &element_)
    {
        if constexpr (isRecord)
            out_ << static_cast<const BaseContainer &>(element_);
        else
            out_ << static_cast<const Datatype &>(element_);
    }
    static void receive(BaseInputStream &in_, T &element_)
    {
        if constexpr (isRecord)
            in_ >> static_cast<BaseContainer &>(element_);
        else
            in_ >> static_cast<Datatype &>(element_);
    }

    const char *name = "";
    Elements elements;
};

} // namespace KV_Rigscan

#endif
