#ifndef APP_ADVFORM_H
#define APP_ADVFORM_H

#include <QDialog>
#include <QString>

// Base of every form of the program. A form is a top-level window or, for
// the MDI children, a widget inside the main window's MDI area; the dialogs
// among them are shown modally with exec().
class TAdvForm : public QDialog {
    Q_OBJECT
public:
    explicit TAdvForm(QWidget *owner_ = nullptr);

    // Kept with the window's placement (the main window keeps its tree width in it).
    const QString &extraPlacement() const { return extraPlacementText; }
    void setExtraPlacement(const QString &text_) { extraPlacementText = text_; }

protected:
    // Escape closes only the forms that are dialogs.
    void reject() override;
    virtual bool closesOnEscape() const { return true; }

private:
    QString extraPlacementText;
};

class TFBasicForm : public TAdvForm {
    Q_OBJECT
public:
    explicit TFBasicForm(QWidget *owner_ = nullptr);
};

#endif
