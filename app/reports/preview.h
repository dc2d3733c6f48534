#pragma once

#include <QString>

#include "Advform.h"

class QAction;
class QComboBox;
class QLabel;
class QMenuBar;
class QPrintPreviewWidget;
class QPrinter;
class QToolBar;
class QToolButton;
class TRBasicReport;

// The window in which a report is looked at before it is printed: its pages
// with paging, zoom, the printer's settings and printing. Made without an
// owner, maximised; it frees itself when closed.
class TFPreview : public TFBasicForm {
    Q_OBJECT
public:
    // The report is painted again whenever the pages are asked for: for the
    // preview and for each print from it. Both must outlive the window, or
    // the report lets go of it first (ForgetReport).
    TFPreview(QPrinter *printer_, TRBasicReport *report_);

    // The report goes away: the window shows no more pages.
    void ForgetReport();

    // " Page 2 of 3 ".
    QString pageCounterText() const;
    int pagesKnown() const { return knownPages; }

    QPrintPreviewWidget *QRPreview = nullptr;
    QToolBar *toolBar = nullptr;
    QAction *TFirstPage = nullptr;
    QAction *TPreviousPage = nullptr;
    QAction *TNextPage = nullptr;
    QAction *TLastPage = nullptr;
    QAction *TPrinterSetup = nullptr;
    QAction *TPrint = nullptr;
    QToolButton *Bonline = nullptr;
    QLabel *EPages = nullptr;
    QComboBox *CbZoom = nullptr;
    QMenuBar *menuBar = nullptr;

public slots:
    void TFirstPageClick();
    void TPreviousPageClick();
    void TNextPageClick();
    void TLastPageClick();
    void TPrinterSetupClick();
    void TPrintClick();
    void BonlineClick();
    void CbZoomChange(int index_);
    void ZoomToFitClick();
    void ZoomTo100Click();
    void ZoomToWidthClick();

protected:
    bool eventFilter(QObject *watched_, QEvent *event_) override;
    void keyPressEvent(QKeyEvent *event_) override;

private:
    void paintReport(QPrinter *printer_);
    void previewChanged();
    void updatePageCounter();
    // Page Up and Page Down page through the report; true when taken.
    bool pageKey(int key_);
    void chooseZoom(int index_);

    TRBasicReport *report;
    QPrinter *printer;
    int knownPages = 1;
    bool firstPageShown = false;
};
