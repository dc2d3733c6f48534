#include "preview.h"

#include <QGuiApplication>
#include <QScreen>

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include "MessageSink.h"
#include "basicreport.h"
#include "modalforms.h"
#include "printersetup.h"
#include "programprinter.h"
#include "toolbaricons.h"

namespace {

// The zoom list's percentages, by item; the last two items fit the page.
constexpr double zoomFactors[] = {5.0, 2.0, 1.5, 1.0, 0.75, 0.5, 0.25, 0.1};
constexpr int zoom100 = 3;
constexpr int zoomPageWidth = 8;
constexpr int zoomWholePage = 9;

QIcon standardIcon(QStyle::StandardPixmap pixmap_)
{
    return QApplication::style()->standardIcon(pixmap_);
}

} // namespace

TFPreview::TFPreview(QPrinter *printer_, TRBasicReport *report_) : TFBasicForm(nullptr), report(report_), printer(printer_)
{
    setObjectName(QStringLiteral("FPreview"));
    setWindowTitle(QStringLiteral("Preview"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint
                   | Qt::WindowCloseButtonHint);
    // The screen's size first: without a window manager nothing maximises.
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        setGeometry(screen->availableGeometry());
    setWindowState(Qt::WindowMaximized);

    menuBar = new QMenuBar(this);
    QMenu *file = menuBar->addMenu(QStringLiteral("&File"));
    file->addAction(QStringLiteral("Page setup"), this, &TFPreview::TPrinterSetupClick);
    file->addAction(QStringLiteral("&Print"), this, &TFPreview::TPrintClick);
    file->addSeparator();
    file->addAction(QStringLiteral("&Close"), this, &TFPreview::BonlineClick);
    QMenu *view = menuBar->addMenu(QStringLiteral("&View"));
    view->addAction(QStringLiteral("Zoom to fit"), this, &TFPreview::ZoomToFitClick);
    view->addAction(QStringLiteral("Zoom to 100%"), this, &TFPreview::ZoomTo100Click);
    view->addAction(QStringLiteral("Zoom to page width"), this, &TFPreview::ZoomToWidthClick);

    toolBar = new QToolBar(this);
    auto tool = [this](const char *name_, const QIcon &icon_, const QString &text_, void (TFPreview::*slot_)()) {
        QAction *action = toolBar->addAction(icon_, text_, this, slot_);
        action->setObjectName(QString::fromLatin1(name_));
        return action;
    };
    TFirstPage = tool("TFirstPage", standardIcon(QStyle::SP_MediaSkipBackward), QStringLiteral("First Page"),
                      &TFPreview::TFirstPageClick);
    TPreviousPage = tool("TPreviousPage", standardIcon(QStyle::SP_ArrowLeft), QStringLiteral("Previous Page"),
                         &TFPreview::TPreviousPageClick);
    TNextPage = tool("TNextPage", standardIcon(QStyle::SP_ArrowRight), QStringLiteral("Next Page"),
                     &TFPreview::TNextPageClick);
    TLastPage = tool("TLastPage", standardIcon(QStyle::SP_MediaSkipForward), QStringLiteral("Last Page"),
                     &TFPreview::TLastPageClick);
    toolBar->addSeparator();
    TPrinterSetup = tool("TPrinterSetup", standardIcon(QStyle::SP_FileDialogDetailedView),
                         QStringLiteral("Printer Settings"), &TFPreview::TPrinterSetupClick);
    TPrint = tool("TPrint", toolbarIcon(QStringLiteral("ToolButton12")), QStringLiteral("Print"), &TFPreview::TPrintClick);
    toolBar->addSeparator();
    Bonline = new QToolButton(toolBar);
    Bonline->setObjectName(QStringLiteral("Bonline"));
    Bonline->setText(QStringLiteral("&Close"));
    Bonline->setToolButtonStyle(Qt::ToolButtonTextOnly);
    connect(Bonline, &QToolButton::clicked, this, &TFPreview::BonlineClick);
    toolBar->addWidget(Bonline);
    toolBar->addSeparator();
    EPages = new QLabel(toolBar);
    EPages->setObjectName(QStringLiteral("EPages"));
    EPages->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    toolBar->addWidget(EPages);
    toolBar->addSeparator();
    CbZoom = new QComboBox(toolBar);
    CbZoom->setObjectName(QStringLiteral("CbZoom"));
    CbZoom->addItems({QStringLiteral("500%"), QStringLiteral("200%"), QStringLiteral("150%"), QStringLiteral("100%"),
                      QStringLiteral("75%"), QStringLiteral("50%"), QStringLiteral("25%"), QStringLiteral("10%"),
                      QStringLiteral("Page Width"), QStringLiteral("Whole Page")});
    CbZoom->setCurrentIndex(zoom100);
    connect(CbZoom, &QComboBox::currentIndexChanged, this, &TFPreview::CbZoomChange);
    toolBar->addWidget(CbZoom);

    QRPreview = new QPrintPreviewWidget(printer, this);
    QRPreview->setObjectName(QStringLiteral("QRPreview"));
    QRPreview->setZoomMode(QPrintPreviewWidget::CustomZoom);
    QRPreview->setZoomFactor(1.0);
    connect(QRPreview, &QPrintPreviewWidget::paintRequested, this, &TFPreview::paintReport);
    connect(QRPreview, &QPrintPreviewWidget::previewChanged, this, &TFPreview::previewChanged);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->setMenuBar(menuBar);
    layout->addWidget(toolBar);
    layout->addWidget(QRPreview, 1);

    // The window sees every key before its controls do.
    CbZoom->view()->installEventFilter(this);
    for (QWidget *child : findChildren<QWidget *>())
        child->installEventFilter(this);

    updatePageCounter();
}

void TFPreview::ForgetReport()
{
    report = nullptr;
}

QString TFPreview::pageCounterText() const
{
    return QStringLiteral(" Page ") + QString::number(QRPreview->currentPage()) + QStringLiteral(" of ")
           + QString::number(knownPages) + QStringLiteral(" ");
}

void TFPreview::updatePageCounter()
{
    EPages->setText(pageCounterText());
}

void TFPreview::paintReport(QPrinter *printer_)
{
    if (report && !report->PrintOn(*printer_))
        ShowMessage(QStringLiteral("Unable to print the report."));
}

void TFPreview::previewChanged()
{
    knownPages = QRPreview->pageCount();
    if (!firstPageShown && knownPages >= 1) {
        firstPageShown = true;
        // Shows the zoom the preview starts with; the zoom stays as it is.
        const QSignalBlocker blocker(CbZoom);
        CbZoom->setCurrentIndex(zoom100);
    }
    updatePageCounter();
}

void TFPreview::TFirstPageClick()
{
    QRPreview->setCurrentPage(1);
    updatePageCounter();
}

void TFPreview::TPreviousPageClick()
{
    QRPreview->setCurrentPage(QRPreview->currentPage() - 1);
    updatePageCounter();
}

void TFPreview::TNextPageClick()
{
    QRPreview->setCurrentPage(QRPreview->currentPage() + 1);
    updatePageCounter();
}

void TFPreview::TLastPageClick()
{
    QRPreview->setCurrentPage(QRPreview->pageCount());
    updatePageCounter();
}

void TFPreview::TPrinterSetupClick()
{
    if (!RunPrinterSetup(*printer, this))
        return;
    if (printer == &ProgramPrinter())
        KeepChosenPrinter();
    // Paper and margins may have changed.
    QRPreview->updatePreview();
}

void TFPreview::TPrintClick()
{
    if (!RunPrintDialog(*printer, this))
        return;
    if (printer == &ProgramPrinter())
        KeepChosenPrinter();
    QRPreview->print();
}

void TFPreview::BonlineClick()
{
    close();
}

void TFPreview::chooseZoom(int index_)
{
    if (index_ >= 0 && index_ < static_cast<int>(std::size(zoomFactors)))
        QRPreview->setZoomFactor(zoomFactors[index_]);
    else if (index_ == zoomPageWidth)
        QRPreview->fitToWidth();
    else if (index_ == zoomWholePage) {
        // Qt keeps the zoom when the page already fits into the view, as it
        // does at 10 %: the page's width first, at which it fits only when
        // the width is what limits the whole page too.
        QRPreview->fitToWidth();
        QRPreview->fitInView();
    }
    updatePageCounter();
}

void TFPreview::CbZoomChange(int index_)
{
    chooseZoom(index_);
}

void TFPreview::ZoomToFitClick()
{
    const QSignalBlocker blocker(CbZoom);
    CbZoom->setCurrentIndex(zoomWholePage);
    chooseZoom(zoomWholePage);
}

void TFPreview::ZoomTo100Click()
{
    const QSignalBlocker blocker(CbZoom);
    CbZoom->setCurrentIndex(zoom100);
    chooseZoom(zoom100);
}

void TFPreview::ZoomToWidthClick()
{
    const QSignalBlocker blocker(CbZoom);
    CbZoom->setCurrentIndex(zoomPageWidth);
    chooseZoom(zoomPageWidth);
}

bool TFPreview::pageKey(int key_)
{
    if (key_ == Qt::Key_PageUp) {
        if (QRPreview->currentPage() > 1)
            QRPreview->setCurrentPage(QRPreview->currentPage() - 1);
    } else if (key_ == Qt::Key_PageDown) {
        if (QRPreview->currentPage() < QRPreview->pageCount())
            QRPreview->setCurrentPage(QRPreview->currentPage() + 1);
    } else {
        return false;
    }
    updatePageCounter();
    return true;
}

bool TFPreview::eventFilter(QObject *watched_, QEvent *event_)
{
    if (event_->type() == QEvent::KeyPress) {
        if (pageKey(static_cast<QKeyEvent *>(event_)->key()))
            return true;
        updatePageCounter();
    }
    return TFBasicForm::eventFilter(watched_, event_);
}

void TFPreview::keyPressEvent(QKeyEvent *event_)
{
    if (pageKey(event_->key()))
        return;
    updatePageCounter();
    TFBasicForm::keyPressEvent(event_);
}
