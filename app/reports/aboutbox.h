#pragma once

#include "Advform.h"

class QLabel;
class QPushButton;
class QFrame;

// The program's about box: icon, product name, version and build date.
// It frees itself when closed.
class TAboutBox : public TFBasicForm {
    Q_OBJECT
public:
    explicit TAboutBox(QWidget *owner_ = nullptr);

    QLabel *ProgramIcon = nullptr;
    QLabel *ProductName = nullptr;
    QLabel *Version = nullptr;
    QLabel *EDate = nullptr;
    QPushButton *OKButton = nullptr;
    QFrame *LeftPanel = nullptr;
    QFrame *RightPanel = nullptr;
};

// Help's About command: the box, shown modally, then freed.
void ShowAboutBox(QWidget *owner_);
