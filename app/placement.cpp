#include "placement.h"

#include <QGuiApplication>
#include <QScreen>

#include <algorithm>
#include <climits>

#include "Advform.h"
#include "RegistryStore.h"
#include "settingskeys.h"

namespace {

bool isBlank(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\n') || c == QLatin1Char('\r')
           || c == QLatin1Char('\v') || c == QLatin1Char('\f');
}

// One "%d": blanks, a sign, digits. Numbers beyond int are refused rather
// than wrapped, so a damaged value cannot place a window anywhere.
bool scanInteger(const QString &text_, qsizetype &pos_, int &value_)
{
    while (pos_ < text_.size() && isBlank(text_[pos_]))
        ++pos_;
    bool negative = false;
    if (pos_ < text_.size() && (text_[pos_] == QLatin1Char('-') || text_[pos_] == QLatin1Char('+')))
        negative = text_[pos_++] == QLatin1Char('-');
    const qsizetype first = pos_;
    qint64 magnitude = 0;
    while (pos_ < text_.size() && text_[pos_] >= QLatin1Char('0') && text_[pos_] <= QLatin1Char('9')) {
        magnitude = magnitude * 10 + (text_[pos_].unicode() - '0');
        if (magnitude > qint64(INT_MAX) + 1)
            return false;
        ++pos_;
    }
    if (pos_ == first)
        return false;
    const qint64 value = negative ? -magnitude : magnitude;
    if (value > INT_MAX)
        return false;
    value_ = static_cast<int>(value);
    return true;
}

int stateDigitOf(Qt::WindowStates states_)
{
    if (states_ & Qt::WindowMinimized)
        return placementMinimised;
    if (states_ & Qt::WindowMaximized)
        return placementMaximised;
    if (states_ & Qt::WindowFullScreen)
        return placementOther;
    return placementNormal;
}

qint64 bound(qint64 low_, qint64 value_, qint64 high_)
{
    return std::max(low_, std::min(value_, high_));
}

} // namespace

QString formatPlacement(const FormPlacement &placement_)
{
    int digit = placement_.state;
    if (digit != placementNormal && digit != placementMaximised && digit != placementMinimised)
        digit = placementOther;
    QString text = QStringLiteral("%1,%2,%3,%4,%5")
                       .arg(placement_.left)
                       .arg(placement_.top)
                       .arg(placement_.width)
                       .arg(placement_.height)
                       .arg(digit);
    if (!placement_.extra.isEmpty())
        text += QLatin1Char(',') + placement_.extra;
    return text;
}

std::optional<FormPlacement> parsePlacement(const QString &text_)
{
    int numbers[5] = {};
    qsizetype pos = 0;
    for (int i = 0; i < 5; ++i) {
        if (i > 0) {
            if (pos >= text_.size() || text_[pos] != QLatin1Char(','))
                return std::nullopt;
            ++pos;
        }
        if (!scanInteger(text_, pos, numbers[i]))
            return std::nullopt;
    }
    FormPlacement placement;
    placement.left = numbers[0];
    placement.top = numbers[1];
    placement.width = numbers[2];
    placement.height = numbers[3];
    placement.state = numbers[4];
    // The extra text starts after the fifth comma of the whole text.
    qsizetype comma = -1;
    for (int i = 0; i < 5; ++i) {
        comma = text_.indexOf(QLatin1Char(','), comma + 1);
        if (comma < 0)
            break;
    }
    if (comma >= 0)
        placement.extra = text_.mid(comma + 1, maxExtraPlacementLength);
    return placement;
}

QRect clampToArea(const QRect &frame_, const QRect &area_, const QSize &minimum_)
{
    if (!area_.isValid())
        return frame_;
    const qint64 width = bound(std::min(minimum_.width(), area_.width()), frame_.width(), area_.width());
    const qint64 height = bound(std::min(minimum_.height(), area_.height()), frame_.height(), area_.height());
    const qint64 left = bound(area_.left(), frame_.left(), qint64(area_.left()) + area_.width() - width);
    const qint64 top = bound(area_.top(), frame_.top(), qint64(area_.top()) + area_.height() - height);
    return QRect(int(left), int(top), int(width), int(height));
}

void SaveFormPlacement(TAdvForm *form_, const QString &name_)
{
    if (!form_)
        return;
    FormPlacement placement;
    placement.left = form_->x();
    placement.top = form_->y();
    placement.width = form_->width();
    placement.height = form_->height();
    placement.state = stateDigitOf(form_->windowState());
    placement.extra = form_->extraPlacement();
    RegistryStore store(programKey());
    store.writeString(QLatin1String(windowsSection), name_, formatPlacement(placement));
}

void LoadFormPlacement(TAdvForm *form_, const QString &name_)
{
    if (!form_)
        return;
    const RegistryStore store(programKey());
    const std::optional<FormPlacement> placement = parsePlacement(store.readString(QLatin1String(windowsSection), name_));
    if (!placement)
        return;
    form_->setExtraPlacement(placement->extra);
    switch (placement->state) {
    case placementNormal: {
        form_->setWindowState(Qt::WindowNoState);
        // The stored size is the client's; the desktop must hold the frame.
        const QSize margins = form_->frameGeometry().size() - form_->size();
        const qint64 maxSide = INT_MAX / 2;
        const QRect frame(int(bound(-maxSide, placement->left, maxSide)), int(bound(-maxSide, placement->top, maxSide)),
                          int(bound(0, qint64(placement->width) + margins.width(), maxSide)),
                          int(bound(0, qint64(placement->height) + margins.height(), maxSide)));
        // The screen the window was on, or the primary one when that screen is gone.
        QScreen *screen = QGuiApplication::screenAt(frame.center());
        if (!screen)
            screen = QGuiApplication::primaryScreen();
        if (!screen)
            return;
        const QSize minimum = form_->minimumSize().expandedTo(QSize(1, 1)) + margins;
        const QRect fitted = clampToArea(frame, screen->availableGeometry(), minimum);
        form_->move(fitted.topLeft());
        form_->resize(fitted.size() - margins);
        break;
    }
    case placementMaximised:
        form_->setWindowState(Qt::WindowMaximized);
        break;
    case placementMinimised:
        form_->setWindowState(Qt::WindowMinimized);
        break;
    default:
        break;
    }
}
