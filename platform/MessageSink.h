#ifndef PLATFORM_MESSAGESINK_H
#define PLATFORM_MESSAGESINK_H

#include <QString>
#include <QStringList>
#include <deque>
#include <vector>

// Every message box and question of the program goes through one sink, so
// that tests can record the texts and answer the questions.

enum class MessageAnswer { Ok, Yes, No, Cancel, All };

enum class MessageIcon { None, Information, Warning, Question, Critical };

struct MessageRequest {
    enum class Kind {
        AppMessage,     // the program's box: fixed caption, warning icon, OK
        ShowMessage,    // plain box: text, OK, the application title
        YesNoCancel,
        YesNoCancelAll, // Delete's question: Yes, No, Cancel and All
    };
    Kind kind = Kind::ShowMessage;
    QString caption;
    QString text;
    MessageIcon icon = MessageIcon::None;
};

class MessageSink {
public:
    virtual ~MessageSink() = default;
    // Shows the box and returns the button chosen.
    virtual MessageAnswer show(const MessageRequest &request_) = 0;
};

// The sink in use; never null. Without one installed, QMessageBox.
MessageSink &messageSink();
// Installs a sink (null puts back the real one); returns the previous one.
MessageSink *setMessageSink(MessageSink *sink_);

// The caption of the program's own message box.
QString appMessageCaption();
// The application title: the display name, else the program's title.
QString applicationTitle();

// The program's message box (caption "Scorvista2001 SE", warning icon, OK).
MessageAnswer showAppMessage(const QString &text_);
// The framework-style plain message: text, OK, the application title.
void ShowMessage(const QString &text_);
// Questions; Escape or closing the box answers Cancel.
MessageAnswer askYesNoCancel(const QString &text_, const QString &caption_ = appMessageCaption(),
                             MessageIcon icon_ = MessageIcon::Question);
MessageAnswer askYesNoCancelAll(const QString &text_, const QString &caption_ = QStringLiteral("Warning"),
                                MessageIcon icon_ = MessageIcon::Warning);

// Records every request and answers questions from a queue (Cancel when it
// is empty, OK for messages). Installs itself for its lifetime.
class RecordingMessageSink : public MessageSink {
public:
    RecordingMessageSink();
    ~RecordingMessageSink() override;
    RecordingMessageSink(const RecordingMessageSink &) = delete;
    RecordingMessageSink &operator=(const RecordingMessageSink &) = delete;

    MessageAnswer show(const MessageRequest &request_) override;

    // The texts of the requests of one kind, in order.
    QStringList texts(MessageRequest::Kind kind_) const;

    std::vector<MessageRequest> requests;
    std::deque<MessageAnswer> answers;

private:
    MessageSink *previous = nullptr;
};

#endif
