#include "submitform.h"

#include <QFont>
#include <QLabel>
#include <QPalette>
#include <QPointer>
#include <QPushButton>

#include "submission.h"

namespace {

bool dialogOpen = false;
QPointer<TFSubmit> openDialog;

} // namespace

TFSubmit::TFSubmit(QWidget *owner_, CBasicProject *project_, int hardwareUpgrade_)
    : TFBasicForm(owner_), submitted(project_), upgrade(hardwareUpgrade_)
{
    dialogOpen = true;
    openDialog = this;
    setObjectName(QStringLiteral("FSubmit"));
    setWindowTitle(QStringLiteral("Submit Project"));
    // A dialog border: the size is the form's own.
    setFixedSize(391, 320);
    setSizeGripEnabled(false);

    Label1 = new QLabel(QStringLiteral("Internet functionality not implemented"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(24, 56, 343, 160);
    Label1->setAlignment(Qt::AlignCenter);
    Label1->setWordWrap(true);
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(27);
    Label1->setFont(font);
    QPalette palette = Label1->palette();
    palette.setColor(QPalette::WindowText, Qt::red);
    Label1->setPalette(palette);

    BSettings = new QPushButton(QStringLiteral("Settings"), this);
    BSettings->setObjectName(QStringLiteral("BSettings"));
    BSettings->setGeometry(24, 272, 91, 29);
    BSettings->setAutoDefault(false);
    connect(BSettings, &QPushButton::clicked, this, &TFSubmit::BSettingsClick);

    Button1 = new QPushButton(QStringLiteral("Cancel"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry(276, 272, 91, 29);
    Button1->setAutoDefault(false);
    connect(Button1, &QPushButton::clicked, this, &TFSubmit::reject);
}

TFSubmit::~TFSubmit()
{
    if (openDialog == this) {
        openDialog = nullptr;
        dialogOpen = false;
    }
}

void TFSubmit::BSettingsClick()
{
    ShowNetSettings();
}

bool SubmitDialogOpen()
{
    return dialogOpen;
}

TFSubmit *OpenSubmitDialog()
{
    return openDialog;
}
