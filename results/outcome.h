#pragma once

#include <string>
#include <utility>

// How a load or save went, for the window layer to show or to ask: the data
// layer neither shows nor asks on these roads.
struct COutcome {
    enum class Kind {
        Done,     // message: a note to show afterwards, or empty
        Refused,  // message: why, or empty when the caller words it
        Question, // message: the Yes/No/Cancel question; caption: its own, or empty
    };
    Kind kind = Kind::Done;
    std::string message;
    std::string caption;

    bool done() const { return kind == Kind::Done; }
    bool asks() const { return kind == Kind::Question; }

    static COutcome doneWith(std::string note_ = {}) { return {Kind::Done, std::move(note_), {}}; }
    static COutcome refused(std::string message_ = {}) { return {Kind::Refused, std::move(message_), {}}; }
    static COutcome question(std::string text_, std::string caption_ = {})
    {
        return {Kind::Question, std::move(text_), std::move(caption_)};
    }
};
