#pragma once

#include <QMdiSubWindow>
#include <QStyle>
#include <QStyleOptionTitleBar>

// Where the style draws a part of an MDI child's title bar (a button, the
// icon), in the child's own coordinates.
inline QRect titleBarPart(const QMdiSubWindow *child_, QStyle::SubControl part_)
{
    QStyleOptionTitleBar option;
    option.initFrom(child_);
    option.subControls = QStyle::SC_All;
    option.titleBarFlags = child_->windowFlags();
    option.titleBarState = child_->windowState();
    QStyle *style = child_->style();
    const int border = style->styleHint(QStyle::SH_TitleBar_NoBorder, &option, child_) ? 0 : 4;
    const int height = style->pixelMetric(QStyle::PM_TitleBarHeight, &option, child_);
    option.rect = QRect(border, border, child_->width() - 2 * border, height);
    return style->subControlRect(QStyle::CC_TitleBar, &option, part_, child_);
}

// The centre of a button of an MDI child's title bar.
inline QPoint titleBarButton(const QMdiSubWindow *child_, QStyle::SubControl button_)
{
    return titleBarPart(child_, button_).center();
}
