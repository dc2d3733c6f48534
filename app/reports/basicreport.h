#pragma once

#include <QPointer>
#include <QString>

#include "Ucommoncalls.h"
#include "bandreport.h"

class QPrinter;
class TFPreview;

// The frame every report of the program has: a page header with the date,
// the letter-spaced title and the time, and a page footer with a line, a
// ball under the title's end and the page number. Reports derive from it
// and add their bands to QuickRep.
class TRBasicReport : public CReport {
public:
    explicit TRBasicReport(const QString &title_);
    ~TRBasicReport() override;
    TRBasicReport(const TRBasicReport &) = delete;
    TRBasicReport &operator=(const TRBasicReport &) = delete;

    // On the program's printer.
    void Print() override;
    // Opens the preview on the program's printer; returns when it is closed.
    void Preview() override;

    // Prints on that printer (a PDF file, the preview's pages); false when
    // the printer could not be started.
    bool PrintOn(QPrinter &printer_);
    // What the last printing drew.
    const std::vector<DrawnPage> &record() const { return QuickRep.record(); }

    const QString &title() const { return reportTitle; }

    // A4 portrait with 15 mm margins.
    static void SetUpPage(QPrinter &printer_);

    BandReport QuickRep;
    ReportBand *QRHeader = nullptr;
    ReportElement *LDate = nullptr;
    ReportElement *HorzLine = nullptr;
    ReportElement *LPageCaption = nullptr;
    ReportElement *VertLine = nullptr;
    ReportElement *LTime = nullptr;
    ReportBand *QRFooter = nullptr;
    ReportElement *HorzFooter = nullptr;
    ReportElement *FooterBall = nullptr;
    ReportElement *EPageNo = nullptr;

protected:
    // The printable width, in mm, that the bands are laid out for.
    static constexpr double pageWidth = 180.0;

    bool QRHeaderBeforePrint();
    bool QRFooterBeforePrint();

private:
    QString reportTitle;
    QPointer<TFPreview> openPreview;
};
