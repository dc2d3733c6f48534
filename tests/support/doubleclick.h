#pragma once

#include <QPoint>
#include <QTest>
#include <QWidget>

// A double click as the mouse makes one: a click, the second press (which
// Qt gives as the double click) and its release. QTest's own double click
// leaves the button held for every later mouse event of the process.
inline void doubleClick(QWidget *widget_, const QPoint &at_, Qt::KeyboardModifiers modifiers_ = Qt::NoModifier)
{
    QTest::mouseClick(widget_, Qt::LeftButton, modifiers_, at_);
    QTest::mouseDClick(widget_, Qt::LeftButton, modifiers_, at_);
    QTest::mouseRelease(widget_, Qt::LeftButton, modifiers_, at_);
}
