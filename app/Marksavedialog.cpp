#include "Marksavedialog.h"

#include <QCheckBox>
#include <QGridLayout>

TMarkSaveDialog::TMarkSaveDialog(QWidget *parent_) : QFileDialog(parent_)
{
    // The desktop's own dialog cannot hold extra controls.
    setOption(QFileDialog::DontUseNativeDialog);
    setAcceptMode(QFileDialog::AcceptSave);
    setWindowTitle(QStringLiteral("Testing"));
    checkBox = new QCheckBox(QStringLiteral("Save Images"), this);
    checkBox->setObjectName(QStringLiteral("SaveImages"));
    checkBox->setMinimumWidth(140);
    if (auto *grid = qobject_cast<QGridLayout *>(layout()))
        grid->addWidget(checkBox, grid->rowCount(), 0, 1, grid->columnCount());
    else
        checkBox->move(10, height() / 2);
}

bool TMarkSaveDialog::SaveImages() const
{
    return checkBox->isChecked();
}
