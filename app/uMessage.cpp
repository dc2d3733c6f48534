#include "uMessage.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "MessageSink.h"

TFMessage::TFMessage(QWidget *owner_) : TFBasicForm(owner_)
{
    setObjectName(QStringLiteral("FMessage"));
    // Dialog border without border icons, above the other windows.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowStaysOnTopHint);
    resize(315, 126);

    auto *layout = new QVBoxLayout(this);
    // The busy bar stands in for the file-copy animation; it runs while shown.
    Animate1 = new QProgressBar(this);
    Animate1->setObjectName(QStringLiteral("Animate1"));
    Animate1->setTextVisible(false);
    Animate1->setRange(0, 1);
    Animate1->setFixedHeight(20);
    layout->addWidget(Animate1);

    FViesti = new QLabel(this);
    FViesti->setObjectName(QStringLiteral("FViesti"));
    FViesti->setAlignment(Qt::AlignCenter);
    FViesti->setWordWrap(true);
    layout->addWidget(FViesti, 1);

    Button1 = new QPushButton(QStringLiteral("&Cancel"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setDefault(true);
    layout->addWidget(Button1, 0, Qt::AlignHCenter);
    connect(Button1, &QPushButton::clicked, this, &TFMessage::Button1Click);

    FormCreate();
}

void TFMessage::FormCreate()
{
    setWindowTitle(applicationTitle());
    FViesti->clear();
}

void TFMessage::FormShow()
{
    Animate1->setRange(0, 0);
}

void TFMessage::Button1Click()
{
    cancelledFlag = true;
}

void TFMessage::showEvent(QShowEvent *event_)
{
    TFBasicForm::showEvent(event_);
    FormShow();
}

void TFMessage::hideEvent(QHideEvent *event_)
{
    Animate1->setRange(0, 1);
    TFBasicForm::hideEvent(event_);
}
