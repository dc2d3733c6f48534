#include "aboutbox.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "modalforms.h"

namespace {

QFrame *sidePanel(QWidget *parent_, const char *name_)
{
    auto *panel = new QFrame(parent_);
    panel->setObjectName(QString::fromLatin1(name_));
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel->setFixedWidth(12);
    return panel;
}

} // namespace

TAboutBox::TAboutBox(QWidget *owner_) : TFBasicForm(owner_)
{
    setObjectName(QStringLiteral("AboutBox"));
    setWindowTitle(QStringLiteral("About Scorvista2000"));
    setAttribute(Qt::WA_DeleteOnClose);

    LeftPanel = sidePanel(this, "LeftPanel");
    RightPanel = sidePanel(this, "RightPanel");

    ProgramIcon = new QLabel(this);
    ProgramIcon->setObjectName(QStringLiteral("ProgramIcon"));
    ProgramIcon->setPixmap(QIcon(QStringLiteral(":/icons/scorvista2001se.svg")).pixmap(48, 48));
    ProductName = new QLabel(QStringLiteral("Scorvista2001 SE"), this);
    ProductName->setObjectName(QStringLiteral("ProductName"));
    QFont bold = ProductName->font();
    bold.setBold(true);
    bold.setPointSizeF(bold.pointSizeF() * 1.5);
    ProductName->setFont(bold);
    Version = new QLabel(QStringLiteral("Ver 3.2.0.1"), this);
    Version->setObjectName(QStringLiteral("Version"));
    // The build this program stands for, not the day it was compiled.
    EDate = new QLabel(QStringLiteral("Feb  1 2002") + QLatin1Char(' ') + QStringLiteral("22:23:34"), this);
    EDate->setObjectName(QStringLiteral("EDate"));
    OKButton = new QPushButton(QStringLiteral("&Ok"), this);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    OKButton->setDefault(true);
    connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);

    auto *texts = new QVBoxLayout;
    texts->addWidget(ProductName);
    texts->addWidget(Version);
    texts->addWidget(EDate);
    auto *top = new QHBoxLayout;
    top->addWidget(ProgramIcon, 0, Qt::AlignTop);
    top->addLayout(texts, 1);
    auto *middle = new QVBoxLayout;
    middle->addLayout(top);
    middle->addStretch(1);
    middle->addWidget(OKButton, 0, Qt::AlignHCenter);
    auto *layout = new QHBoxLayout(this);
    layout->addWidget(LeftPanel);
    layout->addLayout(middle, 1);
    layout->addWidget(RightPanel);
}

void ShowAboutBox(QWidget *owner_)
{
    auto *box = new TAboutBox(owner_);
    ShowModalForm(*box);
}
