#pragma once

#include <QFileDialog>

class QCheckBox;

// A save dialog with an extra check box, "Save Images". Not used by any
// window of the program.
class TMarkSaveDialog : public QFileDialog {
    Q_OBJECT
public:
    explicit TMarkSaveDialog(QWidget *parent_ = nullptr);

    QCheckBox *CheckBox() const { return checkBox; }
    bool SaveImages() const;

private:
    QCheckBox *checkBox = nullptr;
};

