#pragma once

// A small report engine: a report is a list of bands, each a strip of the
// page with labels, memos and shapes placed in millimetres. Printing walks
// the bands (header and footer on every page, one detail per record, the
// sub-details of each record, the summary), decides the pages with
// paginate() and paints them on any paged device: a printer, a PDF file or
// the preview. What each page got is recorded, so tests read it back.

#include <QFont>
#include <QRectF>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <vector>

class QPagedPaintDevice;
class QPaintDevice;
class QPainter;

// ---- Pagination -----------------------------------------------------------

enum class BandRole { PageHeader, PageFooter, Body };

// A band as the pagination sees it: its height and, for a band that may be
// split (a memo), the heights of its lines after a fixed lead; what follows
// the lines (height - lead - lines) stays with the last line.
struct PaginationBand {
    BandRole role = BandRole::Body;
    double height = 0;
    double lead = 0;
    std::vector<double> lines;
};

// One band (or a run of a split band's lines) on one page. top is measured
// from the top of the printable area; head: the band's lead is on this piece,
// tail: its end is.
struct PagePiece {
    int band = 0;
    double top = 0;
    double height = 0;
    int firstLine = 0;
    int lineCount = 0;
    bool head = true;
    bool tail = true;
};

struct ReportPage {
    std::vector<PagePiece> pieces;  // header first, then the body, footer last
};

// Decides the pages: the first header and footer band go on every page, the
// body bands follow in order; a band that does not fit starts a new page.
// A split band continues on the next page line by line; a band taller than
// a whole page is cut off at the page's end. Every page takes at least one
// band or one line, so this always ends. No body band gives one page.
std::vector<ReportPage> paginate(const std::vector<PaginationBand> &bands_, double pageHeight_);

// ---- Bands ----------------------------------------------------------------

enum class BandKind { PageHeader, PageFooter, Detail, SubDetail, Summary, Child };

enum class ElementKind { Label, Memo, HorizontalLine, VerticalLine, Ball, PageNumber };

struct ReportElement {
    QString name;
    ElementKind kind = ElementKind::Label;
    QRectF geometry;  // mm within the band; a line's thickness is not counted
    QFont font;
    QString text;       // a label's text
    QStringList lines;  // a memo's paragraphs, wrapped to its width when printed
    Qt::Alignment alignment = Qt::AlignLeft;
    bool autoSize = false;  // the label's width follows its text
    bool inverted = false;  // white text, for the page number on the ball
};

class ReportBand {
public:
    ReportBand(const QString &name_, BandKind kind_, double height_, ReportBand *parent_)
        : name(name_), kind(kind_), height(height_), parent(parent_)
    {
    }
    ReportBand(const ReportBand &) = delete;
    ReportBand &operator=(const ReportBand &) = delete;

    ReportElement *add(const QString &name_, ElementKind kind_, const QRectF &geometry_, const QFont &font_ = QFont(),
                       const QString &text_ = QString());

    QString name;
    BandKind kind;
    double height;
    // A child band prints after this one, and also when this one does not.
    ReportBand *parent;
    // A disabled band never prints and its before-print step does not run.
    bool enabled = true;
    // Runs before each printing of the band; false leaves it out this time.
    std::function<bool()> beforePrint;
    // Sub-details: true while there is one more record, asked until the
    // first false for each master record.
    std::function<bool()> needData;
    std::vector<std::unique_ptr<ReportElement>> elements;
};

// What one page got: the band, the element, its text (one item per memo
// line) and where it went, in mm from the printable area's top left.
struct DrawnItem {
    QString band;
    QString element;
    ElementKind kind = ElementKind::Label;
    QString text;
    QRectF rect;
};

struct DrawnPage {
    std::vector<DrawnItem> items;
    // The texts in the order they were drawn.
    QStringList texts() const;
    // The first item of that element, else null.
    const DrawnItem *find(const QString &element_) const;
};

class BandReport {
public:
    BandReport() = default;
    BandReport(const BandReport &) = delete;
    BandReport &operator=(const BandReport &) = delete;

    ReportBand *addBand(const QString &name_, BandKind kind_, double height_, ReportBand *parent_ = nullptr);
    const std::vector<std::unique_ptr<ReportBand>> &bands() const { return bandList; }

    // Before each printing, the preview's ones included.
    std::function<void()> beforePrint;
    // Master records: true while there is one more, asked until the first
    // false. Without it the report has one record.
    std::function<bool()> needData;

    // Prints every page on the device (a printer, the preview's printer, a
    // PDF writer); false when the device could not be started or refused a
    // further page.
    bool print(QPagedPaintDevice &device_);
    // What the last print drew, page by page.
    const std::vector<DrawnPage> &record() const { return drawn; }

    // Width of the element's text in mm, measured on the device being
    // printed on (the screen outside printing).
    double textWidth(const ReportElement &element_) const;
    // The page being painted, from 1.
    int pageNumber() const { return currentPage; }

private:
    struct Instance;

    void emitChain(ReportBand *band_, std::vector<Instance> &out_);
    Instance snapshot(const ReportBand &band_) const;
    void paintPiece(QPainter &painter_, const Instance &instance_, const PagePiece &piece_, DrawnPage &page_) const;
    double lineHeight(const QFont &font_) const;
    QStringList wrap(const ReportElement &memo_) const;

    std::vector<std::unique_ptr<ReportBand>> bandList;
    std::vector<DrawnPage> drawn;
    QPaintDevice *device = nullptr;
    int currentPage = 0;
};
