#ifndef APP_TOOLBARICONS_H
#define APP_TOOLBARICONS_H

#include <QIcon>
#include <QString>

// The icon of a toolbar button, by the button's object name ("ToolButton1",
// "Bonline", ...): the desktop theme's icon when it has one, else Qt's own or
// the program's. Never a null icon; an unknown name gets a plain file icon.
QIcon toolbarIcon(const QString &buttonName_);

// The program's own icon, which every window carries.
QIcon programIcon();

#endif
