#ifndef VIEWER_SPLITTERDIALOG_H
#define VIEWER_SPLITTERDIALOG_H

#include <QColor>
#include <QDialog>
#include <QPlainTextEdit>
#include <QRect>
#include <memory>
#include <vector>

class QSizeGrip;

// One of the two panes beside the splitter, in pixels.
struct PaneDescriptor {
    QWidget *pane = nullptr;
    int minWidth = 0;
    int minHeight = 0;
    // From the dialog's left edge (left pane) or right edge (right pane).
    int margin = 0;
    // Kept free below the panes.
    int bottomReserve = 0;
    // Set: the pane's top is at 10; clear: at the bottom reserve.
    bool top = true;
};

// A resizable dialog with two panes side by side and a vertical splitter
// between them, laid out by hand.
class CSplitterDialog : public QDialog {
public:
    explicit CSplitterDialog(QWidget *parent_ = nullptr);
    ~CSplitterDialog() override;

    // Takes both descriptors; split_ is the left part of the client width in
    // percent.
    void setUp(std::unique_ptr<PaneDescriptor> left_, std::unique_ptr<PaneDescriptor> right_, int split_);
    // Keeps control_ at its distance from the bottom-right corner.
    void anchor(QWidget *control_);

    // The splitter's rectangle as (left, top, right, bottom).
    int splitterLeft() const { return splitter.left; }
    int splitterTop() const { return splitter.top; }
    int splitterRight() const { return splitter.right; }
    int splitterBottom() const { return splitter.bottom; }
    bool isDragging() const { return dragging; }

protected:
    void resizeEvent(QResizeEvent *event_) override;
    void mouseMoveEvent(QMouseEvent *event_) override;
    void mousePressEvent(QMouseEvent *event_) override;
    void mouseReleaseEvent(QMouseEvent *event_) override;

private:
    struct Edges {
        int left = 0, top = 0, right = 0, bottom = 0;
        bool contains(const QPoint &p_) const
        {
            return p_.x() >= left && p_.x() < right && p_.y() >= top && p_.y() < bottom;
        }
    };
    struct Anchored {
        QWidget *control;
        int fromRight;
        int fromBottom;
    };

    bool active() const { return left && right; }
    int paneTop(const PaneDescriptor &d_) const { return d_.top ? 10 : d_.bottomReserve; }
    void moveSplit(int x_);
    void updateMinimumSize();

    QSizeGrip *grip = nullptr;
    std::unique_ptr<PaneDescriptor> left;
    std::unique_ptr<PaneDescriptor> right;
    QRect leftRect;
    QRect rightRect;
    Edges splitter;
    bool dragging = false;
    // The client size at set-up: the dialog never gets smaller.
    QSize setUpSize;
    std::vector<Anchored> anchored;
};

// The text pane: its text and its empty area share one background colour.
class CColorEdit : public QPlainTextEdit {
public:
    explicit CColorEdit(QWidget *parent_ = nullptr);

    void setBackgroundColor(const QColor &colour_);
    QColor backgroundColor() const { return background; }

private:
    void applyColours();

    QColor background;
};

#endif
