#pragma once

#include <QRect>
#include <QSize>
#include <QString>

#include <optional>

class TAdvForm;

// A form's placement as kept in the section "Windows":
// "left,top,width,height,state[,extra]". The state digit is 0 normal,
// 1 maximised, 2 minimised, 9 anything else.
struct FormPlacement {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    int state = 0;
    QString extra;
};

inline constexpr int placementNormal = 0;
inline constexpr int placementMaximised = 1;
inline constexpr int placementMinimised = 2;
inline constexpr int placementOther = 9;
inline constexpr int maxExtraPlacementLength = 1024;

QString formatPlacement(const FormPlacement &placement_);
// Empty when the text does not start with five integers; the extra text is
// whatever follows the fifth comma.
std::optional<FormPlacement> parsePlacement(const QString &text_);

// Fits a window's frame into the desktop area: no larger than the area, no
// smaller than the minimum, and wholly inside it.
QRect clampToArea(const QRect &frame_, const QRect &area_, const QSize &minimum_ = QSize(1, 1));

void SaveFormPlacement(TAdvForm *form_, const QString &name_);
void LoadFormPlacement(TAdvForm *form_, const QString &name_);

