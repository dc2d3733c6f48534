#pragma once

#include <QImage>
#include <QWidget>

// A picture control that draws its picture stretched over its whole size,
// scaling only the part being painted, and never erases itself first.
class TAdvImage : public QWidget {
    Q_OBJECT
public:
    explicit TAdvImage(QWidget *parent_ = nullptr);

    const QImage &picture() const { return image; }
    void setPicture(const QImage &picture_);
    void clear() { setPicture(QImage()); }

protected:
    void paintEvent(QPaintEvent *event_) override;

private:
    QImage image;
};
