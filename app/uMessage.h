#ifndef APP_UMESSAGE_H
#define APP_UMESSAGE_H

#include "Advform.h"

class QLabel;
class QProgressBar;
class QPushButton;

// The work message shown during long writes. Created and released only by
// BeginWorkMessage and EndWorkMessage; it is not shown by the program.
class TFMessage : public TFBasicForm {
    Q_OBJECT
public:
    explicit TFMessage(QWidget *owner_ = nullptr);

    int nestingCount() const { return nesting; }
    void setNestingCount(int count_) { nesting = count_; }
    // The user asked to cancel; a running write goes on regardless.
    bool cancelled() const { return cancelledFlag; }

    QProgressBar *Animate1 = nullptr;
    QLabel *FViesti = nullptr;
    QPushButton *Button1 = nullptr;

public slots:
    void FormCreate();
    void FormShow();
    void Button1Click();

protected:
    void showEvent(QShowEvent *event_) override;
    void hideEvent(QHideEvent *event_) override;
    // Closing is the Cancel button's business only.
    bool closesOnEscape() const override { return false; }

private:
    int nesting = 0;
    bool cancelledFlag = false;
};

#endif
