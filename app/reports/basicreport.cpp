#include "basicreport.h"

#include <QDateTime>
#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPrinter>
#include <algorithm>

#include "MessageSink.h"
#include "modalforms.h"
#include "preview.h"
#include "programprinter.h"
#include "reportfonts.h"

namespace {

constexpr double marginMm = 15.0;
// Where the title starts; a long title moves left so that it stays on the page.
constexpr double captionLeft = 40.0;
constexpr double ballSize = 8.0;

} // namespace

TRBasicReport::TRBasicReport(const QString &title_) : reportTitle(title_)
{
    QRHeader = QuickRep.addBand(QStringLiteral("QRHeader"), BandKind::PageHeader, 20.0);
    LDate = QRHeader->add(QStringLiteral("LDate"), ElementKind::Label, {0, 0, 60, 4.5}, reportFont(8));
    HorzLine = QRHeader->add(QStringLiteral("HorzLine"), ElementKind::HorizontalLine, {0, 11, captionLeft, 0});
    LPageCaption = QRHeader->add(QStringLiteral("LPageCaption"), ElementKind::Label, {captionLeft, 6, 0, 10},
                                 reportFont(18, true));
    LPageCaption->autoSize = true;
    VertLine = QRHeader->add(QStringLiteral("VertLine"), ElementKind::VerticalLine, {0, 6, 0, 10});
    LTime = QRHeader->add(QStringLiteral("LTime"), ElementKind::Label, {pageWidth - 60, 0, 60, 4.5}, reportFont(8));
    LTime->alignment = Qt::AlignRight;
    QRHeader->beforePrint = [this] { return QRHeaderBeforePrint(); };

    QRFooter = QuickRep.addBand(QStringLiteral("QRFooter"), BandKind::PageFooter, 12.0);
    HorzFooter = QRFooter->add(QStringLiteral("HorzFooter"), ElementKind::HorizontalLine, {0, 6, 0, 0});
    FooterBall = QRFooter->add(QStringLiteral("FooterBall"), ElementKind::Ball, {0, 2, ballSize, ballSize});
    EPageNo = QRFooter->add(QStringLiteral("EPageNo"), ElementKind::PageNumber, {0, 2, ballSize, ballSize},
                            reportFont(9, true));
    EPageNo->alignment = Qt::AlignHCenter;
    EPageNo->inverted = true;
    QRFooter->beforePrint = [this] { return QRFooterBeforePrint(); };
}

TRBasicReport::~TRBasicReport()
{
    if (openPreview) {
        openPreview->ForgetReport();
        openPreview->close();
    }
}

void TRBasicReport::SetUpPage(QPrinter &printer_)
{
    printer_.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                       QMarginsF(marginMm, marginMm, marginMm, marginMm), QPageLayout::Millimeter));
}

bool TRBasicReport::PrintOn(QPrinter &printer_)
{
    return QuickRep.print(printer_);
}

void TRBasicReport::Print()
{
    const ProgramPrinterHold hold;
    QPrinter &printer = ProgramPrinter();
    SetUpPage(printer);
    if (!PrintOn(printer))
        ShowMessage(QStringLiteral("Unable to print the report."));
}

void TRBasicReport::Preview()
{
    const ProgramPrinterHold hold;
    QPrinter &printer = ProgramPrinter();
    SetUpPage(printer);
    auto *preview = new TFPreview(&printer, this);
    openPreview = preview;
    ShowModalForm(*preview);
    // The window may outlive this call until its deferred delete.
    if (openPreview)
        openPreview->ForgetReport();
}

bool TRBasicReport::QRHeaderBeforePrint()
{
    // Numbers and names in the date never follow the process locale.
    const QDateTime now = QDateTime::currentDateTime();
    LDate->text = now.toString(QStringLiteral("yyyy-MM-dd"));
    LTime->text = now.toString(QStringLiteral("HH:mm:ss"));
    LPageCaption->text = LetterSpaced(reportTitle);
    const double width = QuickRep.textWidth(*LPageCaption);
    LPageCaption->geometry.moveLeft(std::clamp(pageWidth - width, 0.0, captionLeft));
    // The line runs from the band's left edge up to the title.
    HorzLine->geometry.setWidth(LPageCaption->geometry.left());
    return true;
}

bool TRBasicReport::QRFooterBeforePrint()
{
    // The ball's right edge under the title's, the line up to the ball, the
    // page number on it.
    const double titleRight = LPageCaption->geometry.left() + QuickRep.textWidth(*LPageCaption);
    const double ballLeft = titleRight - FooterBall->geometry.width();
    FooterBall->geometry.moveLeft(ballLeft);
    HorzFooter->geometry.setWidth(ballLeft);
    EPageNo->geometry.moveLeft(ballLeft);
    return true;
}
