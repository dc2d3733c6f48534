#pragma once

#include <string>

// The program's message box and questions, as the data layer sees them.
// Without an installed one every call does nothing and questions answer
// Cancel, so the data layer also runs on its own.
class CMessages {
public:
    enum class Answer { Yes, No, Cancel };

    virtual ~CMessages() = default;

    // The program's message box, captioned with the program's title.
    virtual void appMessage(const std::string &text_) { (void)text_; }
    virtual Answer askYesNoCancel(const std::string &text_)
    {
        (void)text_;
        return Answer::Cancel;
    }
    // The same question under a caption of its own.
    virtual Answer askYesNoCancelCaptioned(const std::string &text_, const std::string &caption_)
    {
        (void)caption_;
        return askYesNoCancel(text_);
    }
    // The work message, shown while a long task runs; calls nest in pairs.
    virtual void beginWorkMessage() {}
    virtual void endWorkMessage() {}
};

// The messages in use; never null. Installing null puts back the silent
// ones; the previous ones are returned.
CMessages &appMessages();
CMessages *setAppMessages(CMessages *messages_);

// The message box of the program.
inline void AppMessage(const std::string &text_)
{
    appMessages().appMessage(text_);
}

// Shows the work message for as long as it lives, also when the task raises.
class CWorkMessage {
public:
    CWorkMessage() { appMessages().beginWorkMessage(); }
    ~CWorkMessage() { appMessages().endWorkMessage(); }
    CWorkMessage(const CWorkMessage &) = delete;
    CWorkMessage &operator=(const CWorkMessage &) = delete;
};
