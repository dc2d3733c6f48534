#include "toolbaricons.h"

#include <QApplication>
#include <QImage>
#include <QPixmap>
#include <QStyle>

namespace {

// Marks a button for which Qt has no picture of its own.
constexpr QStyle::StandardPixmap noStandardPixmap = QStyle::SP_CustomBase;

struct ButtonIcon {
    const char *button;
    // The freedesktop icon name; null when the theme has none for it.
    const char *themeName;
    QStyle::StandardPixmap standard;
    // The program's own picture, for when neither of the others draws.
    const char *resource;
};

const ButtonIcon buttonIcons[] = {
    {"ToolButton1", "document-new", QStyle::SP_FileIcon, ":/icons/document-new.svg"},
    {"ToolButton2", "document-open", QStyle::SP_DialogOpenButton, ":/icons/document-open.svg"},
    {"ToolButton5", "document-save", QStyle::SP_DialogSaveButton, ":/icons/document-save.svg"},
    {"ToolButton7", "edit-cut", noStandardPixmap, ":/icons/edit-cut.svg"},
    {"ToolButton8", "edit-copy", noStandardPixmap, ":/icons/edit-copy.svg"},
    {"ToolButton9", "edit-paste", noStandardPixmap, ":/icons/edit-paste.svg"},
    {"ToolButton4", "edit-delete", QStyle::SP_TrashIcon, ":/icons/edit-delete.svg"},
    {"ToolButton11", "document-print-preview", noStandardPixmap, ":/icons/document-print-preview.svg"},
    {"ToolButton12", "document-print", noStandardPixmap, ":/icons/document-print.svg"},
    {"Bonline", nullptr, noStandardPixmap, ":/icons/online-compare.svg"},
};

// A theme may name an icon whose file cannot be drawn (an SVG without
// Qt's SVG icon engine), which still gives a non-null QIcon.
bool drawsPixels(const QIcon &icon_)
{
    if (icon_.isNull())
        return false;
    const QImage image = icon_.pixmap(24, 24).toImage();
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(image.pixel(x, y)) != 0)
                return true;
    return false;
}

// Qt's style asks the theme first, so its icon may not draw either.
QIcon standardIcon(QStyle::StandardPixmap pixmap_)
{
    QStyle *style = QApplication::style();
    return style && pixmap_ != noStandardPixmap ? style->standardIcon(pixmap_) : QIcon();
}

} // namespace

QIcon toolbarIcon(const QString &buttonName_)
{
    for (const ButtonIcon &entry : buttonIcons) {
        if (buttonName_ != QLatin1String(entry.button))
            continue;
        const QIcon candidates[] = {
            entry.themeName ? QIcon::fromTheme(QLatin1String(entry.themeName)) : QIcon(),
            standardIcon(entry.standard),
            QIcon(QLatin1String(entry.resource)),
        };
        for (const QIcon &candidate : candidates)
            if (drawsPixels(candidate))
                return candidate;
        break;
    }
    const QIcon plain = standardIcon(QStyle::SP_FileIcon);
    if (drawsPixels(plain))
        return plain;
    // Something to show even when no picture at all can be drawn.
    QPixmap square(16, 16);
    square.fill(Qt::darkGray);
    return QIcon(square);
}

QIcon programIcon()
{
    return QIcon(QStringLiteral(":/icons/scorvista2001se.svg"));
}
