#pragma once

#include <QFont>

// The reports' one typeface; where Arial is missing, the desktop's sans serif.
inline QFont reportFont(double pointSize_, bool bold_ = false)
{
    QFont font(QStringLiteral("Arial"));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(pointSize_);
    font.setBold(bold_);
    return font;
}
