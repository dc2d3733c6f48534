#include "bandreport.h"

#include <QFontMetricsF>
#include <QGuiApplication>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPen>
#include <QScreen>
#include <QTextLayout>
#include <algorithm>
#include <numeric>
#include <utility>

namespace {

constexpr double mmPerInch = 25.4;
// Thickness of the drawn lines.
constexpr double lineWidthMm = 0.3;

double screenDpi()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    return screen ? screen->logicalDotsPerInchX() : 96.0;
}

class PageCursor {
public:
    PageCursor(std::vector<ReportPage> &pages_, double bodyTop_, double bodyBottom_)
        : pages(pages_), bodyTop(bodyTop_), bodyBottom(bodyBottom_), y(bodyTop_)
    {
        pages.emplace_back();
    }
    double top() const { return y; }
    double room() const { return bodyBottom - y; }
    bool atPageTop() const { return y <= bodyTop; }
    void newPage()
    {
        pages.emplace_back();
        y = bodyTop;
    }
    void place(PagePiece piece_)
    {
        piece_.top = y;
        y += piece_.height;
        pages.back().pieces.push_back(piece_);
    }

private:
    std::vector<ReportPage> &pages;
    double bodyTop;
    double bodyBottom;
    double y;
};

} // namespace

std::vector<ReportPage> paginate(const std::vector<PaginationBand> &bands_, double pageHeight_)
{
    int header = -1;
    int footer = -1;
    for (int i = 0; i < static_cast<int>(bands_.size()); ++i) {
        if (bands_[i].role == BandRole::PageHeader && header < 0)
            header = i;
        else if (bands_[i].role == BandRole::PageFooter && footer < 0)
            footer = i;
    }
    const double headerHeight = header >= 0 ? bands_[header].height : 0.0;
    const double footerHeight = footer >= 0 ? bands_[footer].height : 0.0;
    const double bodyBottom = pageHeight_ - footerHeight;

    std::vector<ReportPage> pages;
    PageCursor cursor(pages, headerHeight, bodyBottom);
    for (int i = 0; i < static_cast<int>(bands_.size()); ++i) {
        const PaginationBand &band = bands_[i];
        if (band.role != BandRole::Body)
            continue;
        if (band.lines.empty()) {
            if (band.height > cursor.room() && !cursor.atPageTop())
                cursor.newPage();
            // Taller than a page: it goes alone and is cut off at the page's end.
            cursor.place({i, 0, band.height, 0, 0, true, true});
            continue;
        }
        const int count = static_cast<int>(band.lines.size());
        const double linesHeight = std::accumulate(band.lines.begin(), band.lines.end(), 0.0);
        const double tail = std::max(0.0, band.height - band.lead - linesHeight);
        int next = 0;
        while (next < count) {
            const bool head = next == 0;
            const double lead = head ? band.lead : 0.0;
            double used = lead;
            int fit = 0;
            while (next + fit < count && used + band.lines[next + fit] <= cursor.room()) {
                used += band.lines[next + fit];
                ++fit;
            }
            // The band's end goes with its last line.
            if (next + fit == count && used + tail > cursor.room() && fit > 0 && !(fit == 1 && cursor.atPageTop())) {
                --fit;
                used -= band.lines[next + fit];
            }
            if (fit == 0) {
                if (!cursor.atPageTop()) {
                    cursor.newPage();
                    continue;
                }
                // Not even one line fits on an empty page: it goes anyway.
                fit = 1;
                used += band.lines[next];
            }
            const bool last = next + fit == count;
            cursor.place({i, 0, used + (last ? tail : 0.0), next, fit, head, last});
            next += fit;
            if (!last)
                cursor.newPage();
        }
    }

    // The page header and footer on every page.
    for (ReportPage &page : pages) {
        if (header >= 0)
            page.pieces.insert(page.pieces.begin(), PagePiece{header, 0, headerHeight, 0, 0, true, true});
        if (footer >= 0)
            page.pieces.push_back(PagePiece{footer, bodyBottom, footerHeight, 0, 0, true, true});
    }
    return pages;
}

ReportElement *ReportBand::add(const QString &name_, ElementKind kind_, const QRectF &geometry_, const QFont &font_,
                               const QString &text_)
{
    auto element = std::make_unique<ReportElement>();
    element->name = name_;
    element->kind = kind_;
    element->geometry = geometry_;
    element->font = font_;
    element->text = text_;
    elements.push_back(std::move(element));
    return elements.back().get();
}

QStringList DrawnPage::texts() const
{
    QStringList out;
    for (const DrawnItem &item : items)
        if (!item.text.isEmpty())
            out << item.text;
    return out;
}

const DrawnItem *DrawnPage::find(const QString &element_) const
{
    for (const DrawnItem &item : items)
        if (item.element == element_)
            return &item;
    return nullptr;
}

// A band as printed once: its elements with the texts and sizes of that
// moment, and its memo's lines wrapped to the memo's width.
struct BandReport::Instance {
    const ReportBand *band = nullptr;
    std::vector<ReportElement> elements;
    int memo = -1;
    QStringList memoLines;
    double memoLineHeight = 0;
    PaginationBand layout;
};

ReportBand *BandReport::addBand(const QString &name_, BandKind kind_, double height_, ReportBand *parent_)
{
    bandList.push_back(std::make_unique<ReportBand>(name_, kind_, height_, parent_));
    return bandList.back().get();
}

double BandReport::textWidth(const ReportElement &element_) const
{
    const QFontMetricsF metrics = device ? QFontMetricsF(element_.font, device) : QFontMetricsF(element_.font);
    const double dpi = device ? device->logicalDpiX() : screenDpi();
    return metrics.horizontalAdvance(element_.text) * mmPerInch / dpi;
}

double BandReport::lineHeight(const QFont &font_) const
{
    const QFontMetricsF metrics = device ? QFontMetricsF(font_, device) : QFontMetricsF(font_);
    const double dpi = device ? device->logicalDpiY() : screenDpi();
    return metrics.lineSpacing() * mmPerInch / dpi;
}

QStringList BandReport::wrap(const ReportElement &memo_) const
{
    const double dpi = device ? device->logicalDpiX() : screenDpi();
    const double width = memo_.geometry.width() * dpi / mmPerInch;
    QStringList out;
    for (const QString &paragraph : memo_.lines) {
        // Line breaks inside a paragraph start new lines too.
        const QStringList parts = QString(paragraph).replace(QLatin1String("\r\n"), QLatin1String("\n")).split(QLatin1Char('\n'));
        for (const QString &part : parts) {
            if (part.isEmpty()) {
                out << QString();
                continue;
            }
            QTextLayout layout(part, memo_.font, device);
            QTextOption option;
            option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
            layout.setTextOption(option);
            layout.beginLayout();
            for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
                line.setLineWidth(width);
                QString text = part.mid(line.textStart(), line.textLength());
                while (!text.isEmpty() && text.back().isSpace())
                    text.chop(1);
                out << text;
            }
            layout.endLayout();
        }
    }
    return out;
}

BandReport::Instance BandReport::snapshot(const ReportBand &band_) const
{
    Instance instance;
    instance.band = &band_;
    for (const auto &element : band_.elements) {
        ReportElement copy = *element;
        if (copy.kind == ElementKind::PageNumber)
            copy.text = QString::number(currentPage);
        if (copy.autoSize && (copy.kind == ElementKind::Label || copy.kind == ElementKind::PageNumber))
            copy.geometry.setWidth(textWidth(copy));
        if (copy.kind == ElementKind::Memo && instance.memo < 0)
            instance.memo = static_cast<int>(instance.elements.size());
        instance.elements.push_back(std::move(copy));
    }
    instance.layout.height = band_.height;
    if (instance.memo >= 0) {
        const ReportElement &memo = instance.elements[static_cast<std::size_t>(instance.memo)];
        instance.memoLines = wrap(memo);
        instance.memoLineHeight = lineHeight(memo.font);
        if (!instance.memoLines.isEmpty()) {
            const double below = std::max(0.0, band_.height - memo.geometry.bottom());
            const double lines = instance.memoLineHeight * static_cast<double>(instance.memoLines.size());
            instance.layout.lead = memo.geometry.top();
            instance.layout.lines.assign(static_cast<std::size_t>(instance.memoLines.size()), instance.memoLineHeight);
            instance.layout.height = std::max(band_.height, memo.geometry.top() + lines + below);
        }
    }
    return instance;
}

void BandReport::emitChain(ReportBand *band_, std::vector<Instance> &out_)
{
    if (band_->enabled && (!band_->beforePrint || band_->beforePrint()))
        out_.push_back(snapshot(*band_));
    for (const auto &child : bandList)
        if (child->kind == BandKind::Child && child->parent == band_)
            emitChain(child.get(), out_);
}

void BandReport::paintPiece(QPainter &painter_, const Instance &instance_, const PagePiece &piece_, DrawnPage &page_) const
{
    const double dpiX = device->logicalDpiX();
    const double dpiY = device->logicalDpiY();
    auto toDevice = [&](const QRectF &mm_) {
        return QRectF(mm_.left() * dpiX / mmPerInch, mm_.top() * dpiY / mmPerInch, mm_.width() * dpiX / mmPerInch,
                      mm_.height() * dpiY / mmPerInch);
    };
    const QString bandName = instance_.band->name;
    auto record = [&](const ReportElement &element_, const QString &text_, const QRectF &rect_) {
        page_.items.push_back({bandName, element_.name, element_.kind, text_, rect_});
    };
    QPen pen(Qt::black);
    pen.setWidthF(lineWidthMm * dpiX / mmPerInch);

    for (int i = 0; i < static_cast<int>(instance_.elements.size()); ++i) {
        const ReportElement &element = instance_.elements[static_cast<std::size_t>(i)];
        if (i == instance_.memo) {
            const int first = instance_.layout.lines.empty() ? 0 : piece_.firstLine;
            const int count = instance_.layout.lines.empty() ? 0 : piece_.lineCount;
            const double start = piece_.top + (piece_.head ? element.geometry.top() : 0.0);
            painter_.setFont(element.font);
            painter_.setPen(Qt::black);
            for (int k = 0; k < count; ++k) {
                const QRectF rect(element.geometry.left(), start + k * instance_.memoLineHeight, element.geometry.width(),
                                  instance_.memoLineHeight);
                const QString &line = instance_.memoLines[first + k];
                painter_.drawText(toDevice(rect), int(element.alignment | Qt::AlignVCenter | Qt::TextSingleLine), line);
                record(element, line, rect);
            }
            continue;
        }
        // The rest of a split band goes with its first piece.
        if (!piece_.head)
            continue;
        const QRectF rect = element.geometry.translated(0, piece_.top);
        switch (element.kind) {
        case ElementKind::Label:
        case ElementKind::PageNumber:
        case ElementKind::Memo:
            painter_.setFont(element.font);
            painter_.setPen(element.inverted ? Qt::white : Qt::black);
            painter_.drawText(toDevice(rect), int(element.alignment | Qt::AlignVCenter | Qt::TextSingleLine),
                              element.kind == ElementKind::Memo ? element.lines.join(QLatin1Char(' ')) : element.text);
            record(element, element.kind == ElementKind::Memo ? element.lines.join(QLatin1Char(' ')) : element.text, rect);
            break;
        case ElementKind::HorizontalLine: {
            const QRectF r = toDevice(rect);
            painter_.setPen(pen);
            painter_.drawLine(QPointF(r.left(), r.top()), QPointF(r.right(), r.top()));
            record(element, QString(), rect);
            break;
        }
        case ElementKind::VerticalLine: {
            const QRectF r = toDevice(rect);
            painter_.setPen(pen);
            painter_.drawLine(QPointF(r.left(), r.top()), QPointF(r.left(), r.bottom()));
            record(element, QString(), rect);
            break;
        }
        case ElementKind::Ball:
            painter_.setPen(Qt::NoPen);
            painter_.setBrush(Qt::black);
            painter_.drawEllipse(toDevice(rect));
            painter_.setBrush(Qt::NoBrush);
            record(element, QString(), rect);
            break;
        }
    }
}

bool BandReport::print(QPagedPaintDevice &device_)
{
    drawn.clear();
    QPainter painter;
    if (!painter.begin(&device_))
        return false;
    device = &device_;
    currentPage = 0;

    if (beforePrint)
        beforePrint();

    ReportBand *header = nullptr;
    ReportBand *footer = nullptr;
    for (const auto &band : bandList) {
        if (!band->enabled)
            continue;
        if (band->kind == BandKind::PageHeader && !header)
            header = band.get();
        else if (band->kind == BandKind::PageFooter && !footer)
            footer = band.get();
    }

    std::vector<Instance> body;
    // Every need-data is asked until its first "no more", so a supply that
    // would start over after its end is never asked again in this run.
    bool single = true;
    while (needData ? needData() : std::exchange(single, false)) {
        for (const auto &band : bandList)
            if (band->kind == BandKind::Detail)
                emitChain(band.get(), body);
        for (const auto &band : bandList) {
            if (band->kind != BandKind::SubDetail)
                continue;
            if (!band->needData) {
                emitChain(band.get(), body);
                continue;
            }
            while (band->needData())
                emitChain(band.get(), body);
        }
    }
    for (const auto &band : bandList)
        if (band->kind == BandKind::Summary)
            emitChain(band.get(), body);

    std::vector<PaginationBand> layout;
    layout.reserve(body.size() + 2);
    for (const Instance &instance : body)
        layout.push_back(instance.layout);
    const int headerIndex = static_cast<int>(layout.size());
    layout.push_back({BandRole::PageHeader, header ? header->height : 0.0, 0, {}});
    const int footerIndex = static_cast<int>(layout.size());
    layout.push_back({BandRole::PageFooter, footer ? footer->height : 0.0, 0, {}});

    const double pageHeight = device_.pageLayout().paintRect(QPageLayout::Millimeter).height();
    const std::vector<ReportPage> pages = paginate(layout, pageHeight);

    bool complete = true;
    for (std::size_t p = 0; p < pages.size(); ++p) {
        if (p > 0 && !device_.newPage()) {
            complete = false;
            break;
        }
        currentPage = static_cast<int>(p) + 1;
        DrawnPage page;
        for (const PagePiece &piece : pages[p].pieces) {
            if (piece.band == headerIndex || piece.band == footerIndex) {
                ReportBand *band = piece.band == headerIndex ? header : footer;
                if (!band || (band->beforePrint && !band->beforePrint()))
                    continue;
                paintPiece(painter, snapshot(*band), piece, page);
            } else {
                paintPiece(painter, body[static_cast<std::size_t>(piece.band)], piece, page);
            }
        }
        drawn.push_back(std::move(page));
    }
    painter.end();
    device = nullptr;
    return complete;
}
