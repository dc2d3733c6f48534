#include "MessageSink.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

namespace {

QMessageBox::Icon boxIcon(MessageIcon icon_)
{
    switch (icon_) {
    case MessageIcon::Information:
        return QMessageBox::Information;
    case MessageIcon::Warning:
        return QMessageBox::Warning;
    case MessageIcon::Question:
        return QMessageBox::Question;
    case MessageIcon::Critical:
        return QMessageBox::Critical;
    case MessageIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

class QtMessageSink : public MessageSink {
public:
    MessageAnswer show(const MessageRequest &request_) override
    {
        QMessageBox box(boxIcon(request_.icon), request_.caption, request_.text, QMessageBox::NoButton,
                        QApplication::activeWindow());
        if (request_.kind == MessageRequest::Kind::AppMessage) {
            // The program's box stays above every window until answered.
            box.setWindowModality(Qt::ApplicationModal);
            box.setWindowFlag(Qt::WindowStaysOnTopHint);
        }
        QPushButton *ok = nullptr, *yes = nullptr, *no = nullptr, *cancel = nullptr, *all = nullptr;
        switch (request_.kind) {
        case MessageRequest::Kind::AppMessage:
        case MessageRequest::Kind::ShowMessage:
            ok = box.addButton(QMessageBox::Ok);
            box.setEscapeButton(ok);
            break;
        case MessageRequest::Kind::YesNoCancelAll:
        case MessageRequest::Kind::YesNoCancel:
            yes = box.addButton(QMessageBox::Yes);
            no = box.addButton(QMessageBox::No);
            cancel = box.addButton(QMessageBox::Cancel);
            if (request_.kind == MessageRequest::Kind::YesNoCancelAll)
                all = box.addButton(QStringLiteral("&All"), QMessageBox::YesRole);
            box.setDefaultButton(yes);
            box.setEscapeButton(cancel);
            break;
        }
        box.exec();
        const auto *clicked = box.clickedButton();
        if (clicked && clicked == yes)
            return MessageAnswer::Yes;
        if (clicked && clicked == no)
            return MessageAnswer::No;
        if (clicked && clicked == all)
            return MessageAnswer::All;
        if (ok)
            return MessageAnswer::Ok;
        return MessageAnswer::Cancel;
    }
};

QtMessageSink realSink;
MessageSink *current = nullptr;

MessageAnswer ask(MessageRequest::Kind kind_, const QString &text_, const QString &caption_, MessageIcon icon_)
{
    MessageRequest r;
    r.kind = kind_;
    r.caption = caption_;
    r.text = text_;
    r.icon = icon_;
    return messageSink().show(r);
}

} // namespace

MessageSink &messageSink()
{
    return current ? *current : realSink;
}

MessageSink *setMessageSink(MessageSink *sink_)
{
    MessageSink *previous = current;
    current = sink_;
    return previous;
}

QString appMessageCaption()
{
    return QStringLiteral("Scorvista2001 SE");
}

QString applicationTitle()
{
    const QString name = QGuiApplication::applicationDisplayName();
    return name.isEmpty() ? appMessageCaption() : name;
}

MessageAnswer showAppMessage(const QString &text_)
{
    return ask(MessageRequest::Kind::AppMessage, text_, appMessageCaption(), MessageIcon::Warning);
}

void ShowMessage(const QString &text_)
{
    ask(MessageRequest::Kind::ShowMessage, text_, applicationTitle(), MessageIcon::None);
}

MessageAnswer askYesNoCancel(const QString &text_, const QString &caption_, MessageIcon icon_)
{
    return ask(MessageRequest::Kind::YesNoCancel, text_, caption_, icon_);
}

MessageAnswer askYesNoCancelAll(const QString &text_, const QString &caption_, MessageIcon icon_)
{
    return ask(MessageRequest::Kind::YesNoCancelAll, text_, caption_, icon_);
}

RecordingMessageSink::RecordingMessageSink()
{
    previous = setMessageSink(this);
}

RecordingMessageSink::~RecordingMessageSink()
{
    setMessageSink(previous);
}

MessageAnswer RecordingMessageSink::show(const MessageRequest &request_)
{
    requests.push_back(request_);
    if (request_.kind == MessageRequest::Kind::AppMessage || request_.kind == MessageRequest::Kind::ShowMessage)
        return MessageAnswer::Ok;
    if (answers.empty())
        return MessageAnswer::Cancel;
    const MessageAnswer a = answers.front();
    answers.pop_front();
    return a;
}

QStringList RecordingMessageSink::texts(MessageRequest::Kind kind_) const
{
    QStringList out;
    for (const MessageRequest &r : requests)
        if (r.kind == kind_)
            out << r.text;
    return out;
}
