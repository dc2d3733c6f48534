#include "Menubar.h"

#include <QMenu>
#include <QMenuBar>
#include <QWidgetAction>
#include <memory>

TMenuBar::TMenuBar(QWidget *parent_) : QToolBar(parent_)
{
    setMovable(false);
    setFloatable(false);
    setToolButtonStyle(Qt::ToolButtonTextOnly);
}

QToolButton *TMenuBar::Button(int index_) const
{
    if (index_ < 0 || index_ >= ButtonCount())
        return nullptr;
    return qobject_cast<QToolButton *>(widgetForAction(buttons[static_cast<std::size_t>(index_)]));
}

void TMenuBar::freeButtons()
{
    while (!buttons.empty()) {
        QAction *last = buttons.back();
        buttons.pop_back();
        removeAction(last);
        delete last;
    }
}

void TMenuBar::SetMenu(QMenuBar *menu_)
{
    if (menu_ == menu)
        return;
    // Also when the old menu bar went away on its own.
    freeButtons();
    menu = menu_;
    if (!menu)
        return;
    const QList<QAction *> items = menu->actions();
    for (int i = ButtonCount(); i < items.size(); ++i) {
        auto button = std::make_unique<QToolButton>();
        button->setAutoRaise(true);
        button->setToolButtonStyle(Qt::ToolButtonTextOnly);
        QAction *action = addWidget(button.get());
        button.release();
        buttons.push_back(action);
    }
    for (int i = 0; i < items.size(); ++i) {
        QToolButton *button = Button(i);
        button->setDefaultAction(items[i]);
        // After the action: taking one with a menu changes the mode.
        button->setPopupMode(QToolButton::InstantPopup);
    }
}
