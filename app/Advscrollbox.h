#ifndef APP_ADVSCROLLBOX_H
#define APP_ADVSCROLLBOX_H

#include <QRegion>
#include <QScrollArea>

// A scroll box that fills only the part of its client area its one control
// leaves uncovered, so the picture inside is never painted over first.
class TAdvScrollBox : public QScrollArea {
    Q_OBJECT
public:
    explicit TAdvScrollBox(QWidget *parent_ = nullptr);

    // The part of the client area to fill: all of it without a visible control.
    QRegion backgroundRegion() const;

protected:
    bool viewportEvent(QEvent *event_) override;
};

#endif
