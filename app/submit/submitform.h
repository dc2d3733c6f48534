#pragma once

#include "Advform.h"

class QLabel;
class QPushButton;
class CBasicProject;

// The submission dialog of submission mode. It takes the project and the
// hardware-upgrade flag and leaves them alone; its Settings button opens the
// submission library's network settings.
class TFSubmit : public TFBasicForm {
    Q_OBJECT
public:
    TFSubmit(QWidget *owner_, CBasicProject *project_, int hardwareUpgrade_);
    ~TFSubmit() override;

    CBasicProject *project() const { return submitted; }
    int hardwareUpgrade() const { return upgrade; }

    QLabel *Label1 = nullptr;
    QPushButton *BSettings = nullptr;
    QPushButton *Button1 = nullptr;

public slots:
    void BSettingsClick();

private:
    CBasicProject *submitted = nullptr;
    int upgrade = 0;
};

// True while a submission dialog exists; that dialog, or null.
bool SubmitDialogOpen();
TFSubmit *OpenSubmitDialog();
