#ifndef RIGSCAN_MEMBERS_H
#define RIGSCAN_MEMBERS_H

#include <type_traits>

#include "Bitfield.h"
#include "datatype.h"
#include "layout.h"
#include "modelstream.h"
#include "units.h"

namespace KV_Rigscan {

// Records and components list their members once, in stream order, with
// label and state, in a static members(self, visitor) function. The same list
// serves reset, write and read, so the three cannot drift apart:
//   v(member, "Label", state)      in both layouts
//   v.current(member, "Label")     only in the current layout
//   v.legacy(member, "Label")      only in the older layout
template <class Derived>
class MemberVisitor {
public:
    template <class M>
    void operator()(M &member_, const char *label_, unsigned state_ = 0)
    {
        self().visit(member_, label_, state_);
    }
    template <class M>
    void current(M &member_, const char *label_, unsigned state_ = 0)
    {
        if (Derived::everyMember || !legacyLayout)
            self().visit(member_, label_, state_);
    }
    template <class M>
    void legacy(M &member_, const char *label_, unsigned state_ = 0)
    {
        if (Derived::everyMember || legacyLayout)
            self().visit(member_, label_, state_);
    }

private:
    Derived &self() { return static_cast<Derived &>(*this); }
};

inline void sendMember(BaseOutputStream &out_, const Datatype &value_) { out_ << value_; }
inline void sendMember(BaseOutputStream &out_, const BaseList &list_) { out_ << list_; }
inline void sendMember(BaseOutputStream &out_, const BaseContainer &record_) { out_ << record_; }
inline void receiveMember(BaseInputStream &in_, Datatype &value_) { in_ >> value_; }
inline void receiveMember(BaseInputStream &in_, BaseList &list_) { in_ >> list_; }
inline void receiveMember(BaseInputStream &in_, BaseContainer &record_) { in_ >> record_; }

class MemberWriter : public MemberVisitor<MemberWriter> {
public:
    static constexpr bool everyMember = false;
    explicit MemberWriter(BaseOutputStream &out_) : out(out_) {}
    template <class M>
    void visit(const M &member_, const char *, unsigned)
    {
        sendMember(out, member_);
    }

private:
    BaseOutputStream &out;
};

class MemberReader : public MemberVisitor<MemberReader> {
public:
    static constexpr bool everyMember = false;
    explicit MemberReader(BaseInputStream &in_) : in(in_) {}
    template <class M>
    void visit(M &member_, const char *, unsigned)
    {
        receiveMember(in, member_);
    }

private:
    BaseInputStream &in;
};

// Gives every member of both layouts its label, state and empty value.
class MemberResetter : public MemberVisitor<MemberResetter> {
public:
    static constexpr bool everyMember = true;
    template <class M>
    void visit(M &member_, const char *label_, unsigned state_)
    {
        if constexpr (std::is_base_of_v<String, M>)
            member_.clear();
        else if constexpr (std::is_base_of_v<Version, M>)
            member_.set(0, 0, nullptr);
        else if constexpr (std::is_base_of_v<Capacity, M> || std::is_base_of_v<Frequency, M>)
            member_.set(0, 0);
        else if constexpr (std::is_base_of_v<Hardware3DCaps, M>)
            member_.resize(Hardware3DCaps::namedBits);
        else if constexpr (std::is_base_of_v<BaseContainer, M> && !std::is_base_of_v<BaseList, M>)
            member_.reset();
        else
            member_.clear();
        // Labels are the literals of the members() lists.
        if constexpr (std::is_base_of_v<Datatype, M>) {
            member_.setLabel(label_);
            member_.setState(state_);
        } else if constexpr (std::is_base_of_v<BaseList, M>) {
            member_.setLabel(label_);
        }
    }
};

template <class R>
void writeMembers(const R &record_, BaseOutputStream &out_)
{
    MemberWriter writer(out_);
    R::members(record_, writer);
}

template <class R>
void readMembers(R &record_, BaseInputStream &in_)
{
    MemberReader reader(in_);
    R::members(record_, reader);
}

template <class R>
void resetMembers(R &record_)
{
    MemberResetter resetter;
    R::members(record_, resetter);
}

} // namespace KV_Rigscan

#endif
