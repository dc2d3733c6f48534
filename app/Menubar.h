#ifndef APP_MENUBAR_H
#define APP_MENUBAR_H

#include <QMenuBar>
#include <QPointer>
#include <QToolBar>
#include <QToolButton>
#include <vector>

class QAction;

// A tool bar that mirrors a menu bar: one button per top-level menu, which
// shows the menu's caption and drops down its items.
class TMenuBar : public QToolBar {
    Q_OBJECT
public:
    explicit TMenuBar(QWidget *parent_ = nullptr);

    QMenuBar *Menu() const { return menu; }
    // The same menu again keeps the buttons; null removes them.
    void SetMenu(QMenuBar *menu_);

    int ButtonCount() const { return static_cast<int>(buttons.size()); }
    QToolButton *Button(int index_) const;

private:
    void freeButtons();

    QPointer<QMenuBar> menu;
    // The bar's action of each button; deleting it deletes the button.
    std::vector<QAction *> buttons;
};

#endif
