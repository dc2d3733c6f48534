#ifndef RIGSCAN_LIST_H
#define RIGSCAN_LIST_H

#include <list>
#include <string>
#include <type_traits>
#include <utility>

#include "modelstream.h"

namespace KV_Rigscan {

// A named list of records or values held by value, N being its identifier.
template <class T, int N>
class List : public BaseList {
public:
    class Length : public BaseList::Length {
    public:
        using BaseList::Length::Length;
    };

    using Elements = std::list<T>;
    using const_iterator = typename Elements::const_iterator;
    using iterator = typename Elements::iterator;

    List() = default;

    const char *getName() const override { return name.c_str(); }
    int getID() const override { return N; }
    void setName(const char *name_) { name = name_ ? name_ : ""; }

    void append(const T &element_) { elements.push_back(element_); }
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
    // stream's end instead of reserving anything.
    void readFromStream(BaseInputStream &in_) override
    {
        Length length;
        in_ >> static_cast<BaseList::Length &>(length);
        for (unsigned i = 0; i < length.get(); ++i) {
            T element;
            receive(in_, element);
            elements.push_back(std::move(element));
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

    std::string name;
    Elements elements;
};

} // namespace KV_Rigscan

#endif
