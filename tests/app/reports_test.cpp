// The project report, its band engine and pagination, the preview window,
// the about box and the print commands of the main window.

// Before any Qt header: the model has members named like Qt's keyword macros.
#include "uSystemInfo.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QGraphicsItem>
#include <QGraphicsView>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <functional>
#include <QPrintPreviewWidget>
#include <QPrintDialog>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <memory>
#include <string>
#include <vector>

#include "Cp1252.h"
#include "aboutbox.h"
#include "bandreport.h"
#include "modalforms.h"
#include "openfixture.h"
#include "preview.h"
#include "printersetup.h"
#include "programprinter.h"
#include "projectreport.h"

namespace {

// ---- Pagination -------------------------------------------------------------

PaginationBand body(double height)
{
    return {BandRole::Body, height, 0, {}};
}

PaginationBand memo(double lead, int lines, double lineHeight, double tail = 0)
{
    PaginationBand band{BandRole::Body, 0, lead, std::vector<double>(static_cast<std::size_t>(lines), lineHeight)};
    band.height = lead + lines * lineHeight + tail;
    return band;
}

// A page as "H@0 0@20 1@50[0+3] F@90": band (H and F for the page header
// and footer), top, and for a split band its first line and line count.
std::vector<std::string> describe(const std::vector<PaginationBand> &bands, const std::vector<ReportPage> &pages)
{
    std::vector<std::string> out;
    for (const ReportPage &page : pages) {
        std::string text;
        for (const PagePiece &piece : page.pieces) {
            if (!text.empty())
                text += ' ';
            const BandRole role = bands[static_cast<std::size_t>(piece.band)].role;
            text += role == BandRole::PageHeader ? "H" : role == BandRole::PageFooter ? "F" : std::to_string(piece.band);
            text += '@' + QString::number(piece.top).toStdString();
            if (!bands[static_cast<std::size_t>(piece.band)].lines.empty())
                text += '[' + std::to_string(piece.firstLine) + '+' + std::to_string(piece.lineCount) + ']';
        }
        out.push_back(text);
    }
    return out;
}

struct PaginateCase {
    const char *name;
    std::vector<PaginationBand> bands;
    double pageHeight;
    std::vector<std::string> pages;
};

void PrintTo(const PaginateCase &c, std::ostream *os) { *os << c.name; }

class Paginate : public ::testing::TestWithParam<PaginateCase> {};

const PaginationBand header{BandRole::PageHeader, 20, 0, {}};
const PaginationBand footer{BandRole::PageFooter, 10, 0, {}};

INSTANTIATE_TEST_SUITE_P(
    Bands, Paginate,
    ::testing::Values(
        PaginateCase{"fits", {header, footer, body(30), body(20)}, 100, {"H@0 2@20 3@50 F@90"}},
        PaginateCase{"fills the page exactly", {header, footer, body(30), body(40)}, 100, {"H@0 2@20 3@50 F@90"}},
        PaginateCase{"overflow starts a new page",
                     {header, footer, body(30), body(30), body(30)},
                     100,
                     {"H@0 2@20 3@50 F@90", "H@0 4@20 F@90"}},
        PaginateCase{"header and footer on every page",
                     {body(70), header, body(70), body(70), footer},
                     100,
                     {"H@0 0@20 F@90", "H@0 2@20 F@90", "H@0 3@20 F@90"}},
        PaginateCase{"a band taller than a page goes alone and is cut",
                     {header, footer, body(10), body(500), body(10)},
                     100,
                     {"H@0 2@20 F@90", "H@0 3@20 F@90", "H@0 4@20 F@90"}},
        PaginateCase{"a memo taller than a page splits by line",
                     {header, footer, body(40), memo(5, 30, 5)},
                     100,
                     {"H@0 2@20 3@60[0+5] F@90", "H@0 3@20[5+14] F@90", "H@0 3@20[19+11] F@90"}},
        PaginateCase{"a memo's end stays with its last line",
                     {header, footer, memo(0, 14, 5, 3)},
                     100,
                     {"H@0 2@20[0+13] F@90", "H@0 2@20[13+1] F@90"}},
        PaginateCase{"a memo that cannot show a line here starts on the next page",
                     {header, footer, body(68), memo(4, 3, 5)},
                     100,
                     {"H@0 2@20 F@90", "H@0 3@20[0+3] F@90"}},
        PaginateCase{"no room for the body still makes progress",
                     {header, footer, body(5), memo(0, 2, 5)},
                     25,
                     {"H@0 2@20 F@15", "H@0 3@20[0+1] F@15", "H@0 3@20[1+1] F@15"}},
        PaginateCase{"no body bands give one page", {header, footer}, 100, {"H@0 F@90"}},
        PaginateCase{"without header and footer", {body(60), body(60)}, 100, {"0@0", "1@0"}}));

TEST_P(Paginate, DecidesThePages)
{
    const PaginateCase &c = GetParam();
    EXPECT_EQ(describe(c.bands, paginate(c.bands, c.pageHeight)), c.pages);
}

// ---- The project report -----------------------------------------------------

// Every text of the elements of that name, all pages, in order.
QStringList textsOf(const std::vector<DrawnPage> &pages, const QString &element)
{
    QStringList out;
    for (const DrawnPage &page : pages)
        for (const DrawnItem &item : page.items)
            if (item.element == element)
                out << item.text;
    return out;
}

// The captions and values of a table band, as "caption=value".
QStringList tableOf(const std::vector<DrawnPage> &pages, const QString &band)
{
    QStringList out;
    for (const DrawnPage &page : pages)
        for (const DrawnItem &item : page.items) {
            if (item.band != band)
                continue;
            if (item.element.startsWith(band + "Caption"))
                out << item.text + "=";
            else if (item.element.startsWith(band + "Value") && !out.isEmpty())
                out.back() += item.text;
        }
    return out;
}

// Reports printed to PDF files in a folder of their own; the projects are
// made from result-file images.
class ProjectReport : public ::testing::Test {
protected:
    void TearDown() override { deleteAllProjects(); }

    static CPolyraProject *project(const std::string &name, const std::string &description = "A test",
                                   const Bytes &more = {})
    {
        return projectOfImage(image::build(cat({image::basicItems(name, description), more})));
    }
    QString pdfPath(const QString &name = "report.pdf") const { return folder.filePath(name); }
    // A PDF printer, A4 portrait with the report's margins.
    std::unique_ptr<QPrinter> pdfPrinter(const QString &path)
    {
        auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
        printer->setOutputFormat(QPrinter::PdfFormat);
        printer->setOutputFileName(path);
        TRBasicReport::SetUpPage(*printer);
        return printer;
    }
    std::vector<DrawnPage> print(TRProjectReport &report, const QString &path)
    {
        auto printer = pdfPrinter(path);
        EXPECT_TRUE(report.PrintOn(*printer));
        return report.record();
    }
    std::vector<DrawnPage> print(CBasicProject *p)
    {
        TRProjectReport report(p);
        return print(report, pdfPath());
    }

    RecordingMessageSink sink;
    TQtAppServices services;
    QTemporaryDir folder;
};

TEST_F(ProjectReport, PrintsEveryShownTestFromTheScoreOnAndTheSameLinesTwice)
{
    CPolyraProject *p = project("Rig", "A test", cat({floatItem(180, 45.5f), floatItem(195, -2.0f)}));
    TRProjectReport report(p);
    const std::vector<DrawnPage> first = print(report, pdfPath("first.pdf"));
    const QStringList titles = textsOf(first, "QRLabel5");
    const QStringList values = textsOf(first, "QRLabel6");
    ASSERT_EQ(titles.size(), 18);
    ASSERT_EQ(values.size(), 18);
    // The overall score comes first.
    EXPECT_EQ(titles[0], "Polyra Result ");
    EXPECT_EQ(values[0], "4,322 Polyra Marks");
    EXPECT_EQ(titles[1], "Game 1 Road Rally - Low Detail");
    EXPECT_EQ(values[1], "45.5 FPS");
    EXPECT_EQ(titles[17], "Point Sprites Speed");
    EXPECT_EQ(values[17], "Not supported");
    EXPECT_EQ(values[2], "N/A");

    const std::vector<DrawnPage> second = print(report, pdfPath("second.pdf"));
    EXPECT_EQ(textsOf(second, "QRLabel5"), titles);
    EXPECT_EQ(textsOf(second, "QRLabel6"), values);
}

TEST_F(ProjectReport, SkipsHiddenRowsAndStopsAtTheEndRow)
{
    std::vector<TestTableRow> rows(testTable.begin(), testTable.end());
    rows[0].shown = 0;  // the score
    rows[2].shown = 0;
    rows[4].id = -1;    // the table ends after four rows
    CPolyraProject *p = project("Rig");
    TRProjectReport report(p, rows);
    const std::vector<DrawnPage> pages = print(report, pdfPath());
    EXPECT_EQ(textsOf(pages, "QRLabel5"),
              (QStringList{"Game 1 Road Rally - Low Detail", "Game 2 Wyrmhold - Low Detail"}));

    // The walk's end does not start it over within one printing.
    std::vector<TestTableRow> none(1, testTable.back());
    TRProjectReport empty(p, none);
    EXPECT_TRUE(textsOf(print(empty, pdfPath("empty.pdf")), "QRLabel5").isEmpty());
}

TEST_F(ProjectReport, PrintsTheDescriptionOnlyWhenThereIsOne)
{
    struct Case {
        const char *description;
        QStringList comments;
    };
    for (const Case &c : {Case{"", {}}, Case{"Overclocked to 1.6 GHz", {"Overclocked to 1.6 GHz"}}}) {
        const std::vector<DrawnPage> pages = print(project("Rig", c.description));
        EXPECT_EQ(textsOf(pages, "Comments"), c.comments) << c.description;
        // The bands below the comment print either way.
        EXPECT_EQ(textsOf(pages, "LQRChildBand1Title"), QStringList{"Settings"});
        EXPECT_EQ(textsOf(pages, "LTestResults"), QStringList{"Test Results"});
        deleteAllProjects();
    }
}

TEST_F(ProjectReport, ShowsTheProjectAndItsSettings)
{
    CPolyraProject *p = project("");
    const std::vector<DrawnPage> pages = print(p);
    EXPECT_EQ(textsOf(pages, "LProject"), QStringList{"Project:"});
    EXPECT_EQ(textsOf(pages, "QRLabel8"), QStringList{"Unnamed"});
    const QStringList settings = tableOf(pages, "QRChildBand1");
    ASSERT_EQ(settings.size(), 8);
    EXPECT_EQ(settings[0], "Rendering platform:=" + fromCp1252(p->getRenderingPlatform()));
    EXPECT_EQ(settings[1], "Resolution:=" + fromCp1252(p->getResolutionText()));
    EXPECT_EQ(settings[3], "Rendering Pipeline=" + fromCp1252(p->getRenderingPipeline()));
    EXPECT_EQ(settings[7], "Full-Scene Anti-Aliasing:=Not Enabled");
}

TEST_F(ProjectReport, WithoutSystemInformationPrintsTheCaptionsWithTheTextsOfAnUnknownMachine)
{
    const std::vector<DrawnPage> pages = print(project("Rig"));
    EXPECT_EQ(tableOf(pages, "HardwareBand"), (QStringList{
                                                  QString("Operating System:="),
                                                  "DirectX version:=" + fromCp1252(CSystemInfo(nullptr, 0, false).getDirectXVersionText()),
                                                  "Processor:=Undetected @ Undetected",
                                                  "L1 Cache:=Undetected",
                                                  "L2 Cache:=Undetected",
                                                  "Total Physical Memory:=0 MB",
                                                  "Graphics Card:=",
                                                  "Total Local Video Memory:=Undetected",
                                                  "Total Local Texture Memory:=Undetected",
                                                  "Display Driver Version:=Unknown",
                                                  "Motherboard Manufacturer:=",
                                                  "Motherboard Model:=",
                                              }));
    // The hardware band hangs under bands that never print.
    EXPECT_TRUE(textsOf(pages, "LMissingFeatures").isEmpty());
    EXPECT_TRUE(textsOf(pages, "LChart2").isEmpty());
    EXPECT_EQ(textsOf(pages, "LHardwareBandTitle"), QStringList{"System Info"});
}

TEST_F(ProjectReport, PrintsASampleMachineAndTheShortNoticeLast)
{
    std::unique_ptr<CBasicProject> p(loadProjectFile(SCORVISTA_SAMPLES "/p4-gf3ti.prp"));
    ASSERT_TRUE(p);
    const std::vector<DrawnPage> pages = print(p.get());
    const QStringList hardware = tableOf(pages, "HardwareBand");
    ASSERT_EQ(hardware.size(), 12);
    const CSystemInfo &info = *p->getSystemInfo();
    const std::string device = p->getRenderingPlatform();
    EXPECT_EQ(hardware[0], "Operating System:=" + fromCp1252(info.getOperatingSystemText()));
    EXPECT_FALSE(info.getOperatingSystemText().empty());
    EXPECT_EQ(hardware[2], "Processor:=" + fromCp1252(p->getCpuName() + " @ " + p->getCpuSpeedText()));
    EXPECT_EQ(hardware[6], "Graphics Card:=" + fromCp1252(device));
    EXPECT_EQ(hardware[7], "Total Local Video Memory:=" + fromCp1252(info.getVideoMemoryText(device)));

    // The notice without its first paragraph, wrapped to the page, at the end.
    QStringList notice;
    AppendResultNotice(notice, true);
    const QStringList lines = textsOf(pages, "QRMemo1");
    ASSERT_GT(lines.size(), 1);
    EXPECT_EQ(lines.join(' '), notice.join(' '));
    EXPECT_EQ(pages.back().texts().mid(pages.back().texts().size() - lines.size() - 1, lines.size()), lines);
}

TEST_F(ProjectReport, LetterSpacesTheTitleAndPutsLineBallAndNumberUnderIt)
{
    CPolyraProject *p = project("Rig", std::string(3000, 'x') + " end");
    const std::vector<DrawnPage> pages = print(p);
    ASSERT_GE(pages.size(), 2u);
    for (std::size_t n = 0; n < pages.size(); ++n) {
        const DrawnPage &page = pages[n];
        const DrawnItem *caption = page.find("LPageCaption");
        const DrawnItem *line = page.find("HorzLine");
        const DrawnItem *ball = page.find("FooterBall");
        const DrawnItem *footerLine = page.find("HorzFooter");
        const DrawnItem *number = page.find("EPageNo");
        ASSERT_TRUE(caption && line && ball && footerLine && number) << "page " << n + 1;
        EXPECT_EQ(caption->text, "P r o j e c t   R e s u l t s");
        EXPECT_GT(caption->rect.width(), 50.0);
        EXPECT_DOUBLE_EQ(line->rect.left(), 0.0);
        EXPECT_DOUBLE_EQ(line->rect.width(), caption->rect.left());
        EXPECT_NEAR(ball->rect.right(), caption->rect.right(), 1e-9);
        EXPECT_DOUBLE_EQ(footerLine->rect.width(), ball->rect.left());
        EXPECT_DOUBLE_EQ(number->rect.left(), ball->rect.left());
        EXPECT_EQ(number->text, QString::number(n + 1));
        EXPECT_GT(ball->rect.top(), 250.0);
    }
}

TEST_F(ProjectReport, ADescriptionLongerThanAPageContinuesOnTheNextPages)
{
    QStringList words;
    for (int i = 0; i < 2500; ++i)
        words << QString("word%1").arg(i);
    CPolyraProject *p = project("Rig", toCp1252(words.join(' ')));
    const std::vector<DrawnPage> pages = print(p);
    ASSERT_GE(pages.size(), 3u);
    // Every word once, in order; no line outside its page's body.
    const QStringList lines = textsOf(pages, "Comments");
    EXPECT_EQ(lines.join(' '), words.join(' '));
    // A4 less the margins, less the footer.
    const double bodyBottom = 297.0 - 30.0 - 12.0;
    for (const DrawnPage &page : pages)
        for (const DrawnItem &item : page.items) {
            if (item.element == "Comments") {
                EXPECT_LE(item.rect.bottom(), bodyBottom + 1e-6) << item.text.toStdString();
            }
        }
    // The test lines still follow.
    EXPECT_EQ(textsOf(pages, "QRLabel5").size(), 18);
}

TEST_F(ProjectReport, TheSavedPdfHasThePagesAndTexts)
{
    std::unique_ptr<CBasicProject> p(loadProjectFile(SCORVISTA_SAMPLES "/athlon-gf3.prp"));
    ASSERT_TRUE(p);
    const QString path = pdfPath();
    const std::vector<DrawnPage> pages = print(p.get());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray pdf = file.readAll();
    ASSERT_TRUE(pdf.startsWith("%PDF"));
    EXPECT_EQ(static_cast<std::size_t>(pdf.count("/Type /Page\n")), pages.size());

    const QString tool = QStandardPaths::findExecutable("pdftotext");
    if (tool.isEmpty())
        GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
    QProcess run;
    run.start(tool, {"-layout", path, "-"});
    ASSERT_TRUE(run.waitForFinished(30000));
    const QString text = QString::fromUtf8(run.readAllStandardOutput());
    // The letter-spaced title comes back as its words.
    EXPECT_TRUE(text.contains("Results"));
    EXPECT_TRUE(text.contains(fromCp1252(p->getName())));
    EXPECT_TRUE(text.contains("Polyra Result"));
    EXPECT_TRUE(text.contains("Display Driver Version:"));
    EXPECT_TRUE(text.contains("These results were created with Polyra2001."));
}

// ---- The preview ------------------------------------------------------------

class Preview : public ProjectReport {
protected:
    void SetUp() override
    {
        QStringList words;
        for (int i = 0; i < 2500; ++i)
            words << QString("word%1").arg(i);
        report = std::make_unique<TRProjectReport>(project("Rig", toCp1252(words.join(' '))));
        printer = pdfPrinter(pdfPath());
        window = new TFPreview(printer.get(), report.get());
        window->show();
        QApplication::processEvents();
    }
    void TearDown() override
    {
        delete window.data();
        report.reset();
        ProjectReport::TearDown();
    }
    int page() const { return window->QRPreview->currentPage(); }
    void key(QWidget *target, Qt::Key k)
    {
        QTest::keyClick(target, k);
        QApplication::processEvents();
    }
    QWidget *view() const { return window->QRPreview->findChild<QGraphicsView *>(); }

    std::unique_ptr<TRProjectReport> report;
    std::unique_ptr<QPrinter> printer;
    QPointer<TFPreview> window;
};

TEST_F(Preview, ShowsTheReportAtFullSizeWithThePageCounter)
{
    EXPECT_EQ(window->windowTitle(), "Preview");
    const int pages = window->QRPreview->pageCount();
    ASSERT_GE(pages, 3);
    EXPECT_EQ(static_cast<std::size_t>(pages), report->record().size());
    EXPECT_EQ(window->EPages->text(), QString(" Page 1 of %1 ").arg(pages));
    EXPECT_EQ(window->QRPreview->zoomMode(), QPrintPreviewWidget::CustomZoom);
    EXPECT_DOUBLE_EQ(window->QRPreview->zoomFactor(), 1.0);
    EXPECT_EQ(window->CbZoom->currentText(), "100%");
    QStringList zooms;
    for (int i = 0; i < window->CbZoom->count(); ++i)
        zooms << window->CbZoom->itemText(i);
    EXPECT_EQ(zooms, (QStringList{"500%", "200%", "150%", "100%", "75%", "50%", "25%", "10%", "Page Width", "Whole Page"}));
}

TEST_F(Preview, PageKeysAreTakenFromTheViewAndTheZoomListAndStopAtTheEnds)
{
    const int last = window->QRPreview->pageCount();
    ASSERT_TRUE(view());
    // Page Up on the first page leaves it, but the counter is written again.
    window->EPages->setText("stale");
    key(view(), Qt::Key_PageUp);
    EXPECT_EQ(page(), 1);
    EXPECT_EQ(window->EPages->text(), QString(" Page 1 of %1 ").arg(last));

    key(view(), Qt::Key_PageDown);
    EXPECT_EQ(page(), 2);
    EXPECT_EQ(window->EPages->text(), QString(" Page 2 of %1 ").arg(last));
    // In the zoom list the keys page too, and leave the zoom alone.
    key(window->CbZoom, Qt::Key_PageDown);
    EXPECT_EQ(page(), 3);
    EXPECT_EQ(window->CbZoom->currentIndex(), 3);
    key(window->CbZoom, Qt::Key_PageUp);
    EXPECT_EQ(page(), 2);

    window->TLastPageClick();
    EXPECT_EQ(page(), last);
    window->EPages->setText("stale");
    key(view(), Qt::Key_PageDown);
    EXPECT_EQ(page(), last);
    EXPECT_EQ(window->EPages->text(), QString(" Page %1 of %1 ").arg(last));

    window->TPreviousPageClick();
    EXPECT_EQ(page(), last - 1);
    window->TFirstPageClick();
    EXPECT_EQ(page(), 1);
    window->TNextPageClick();
    EXPECT_EQ(window->EPages->text(), QString(" Page 2 of %1 ").arg(last));
}

TEST_F(Preview, ZoomChoices)
{
    struct Case {
        int item;
        QPrintPreviewWidget::ZoomMode mode;
        double factor;  // for a custom zoom
    };
    for (const Case &c : {Case{9, QPrintPreviewWidget::FitInView, 0}, Case{3, QPrintPreviewWidget::CustomZoom, 1.0},
                          Case{8, QPrintPreviewWidget::FitToWidth, 0}, Case{0, QPrintPreviewWidget::CustomZoom, 5.0},
                          Case{7, QPrintPreviewWidget::CustomZoom, 0.1}, Case{9, QPrintPreviewWidget::FitInView, 0},
                          Case{3, QPrintPreviewWidget::CustomZoom, 1.0}}) {
        window->CbZoom->setCurrentIndex(c.item);
        EXPECT_EQ(window->QRPreview->zoomMode(), c.mode) << c.item;
        if (c.mode == QPrintPreviewWidget::CustomZoom) {
            EXPECT_DOUBLE_EQ(window->QRPreview->zoomFactor(), c.factor) << c.item;
        }
    }
    // The View menu does what the list does, and the list shows it.
    struct MenuCase {
        const char *item;
        QPrintPreviewWidget::ZoomMode mode;
        int shown;
    };
    QMenu *viewMenu = window->menuBar->actions().value(1)->menu();
    ASSERT_TRUE(viewMenu);
    for (const MenuCase &c : {MenuCase{"Zoom to fit", QPrintPreviewWidget::FitInView, 9},
                              MenuCase{"Zoom to page width", QPrintPreviewWidget::FitToWidth, 8},
                              MenuCase{"Zoom to 100%", QPrintPreviewWidget::CustomZoom, 3}}) {
        QAction *item = nullptr;
        for (QAction *a : viewMenu->actions())
            if (a->text() == c.item)
                item = a;
        ASSERT_TRUE(item) << c.item;
        item->trigger();
        EXPECT_EQ(window->QRPreview->zoomMode(), c.mode) << c.item;
        EXPECT_EQ(window->CbZoom->currentIndex(), c.shown) << c.item;
    }
    EXPECT_DOUBLE_EQ(window->QRPreview->zoomFactor(), 1.0);
}

// Whole Page shows one whole page as large as the view allows, whatever zoom
// the list was at before; chosen with the keys of the zoom list.
TEST_F(Preview, WholePageFitsThePageAfterAnyZoom)
{
    struct Case {
        const char *before;
        std::vector<Qt::Key> keys; // from 100 %
        int item;
    };
    const Case cases[] = {
        {"100%", {}, 3},
        {"10%", {Qt::Key_Down, Qt::Key_Down, Qt::Key_Down, Qt::Key_Down}, 7},
        {"500%", {Qt::Key_Home}, 0},
        {"Page Width", {Qt::Key_End, Qt::Key_Up}, 8},
    };
    QGraphicsView *pages = window->QRPreview->findChild<QGraphicsView *>();
    ASSERT_TRUE(pages);
    double fitted = 0;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.before);
        window->ZoomTo100Click();
        for (Qt::Key k : c.keys)
            key(window->CbZoom, k);
        ASSERT_EQ(window->CbZoom->currentIndex(), c.item);
        key(window->CbZoom, Qt::Key_End);
        ASSERT_EQ(window->CbZoom->currentText(), "Whole Page");
        // The topmost page whose top is in the view lies wholly inside it,
        // and fills its height or its width.
        const QRect view = pages->viewport()->rect();
        QRect page;
        for (QGraphicsItem *item : pages->items()) {
            const QRect r = pages->mapFromScene(item->sceneBoundingRect()).boundingRect();
            if (r.top() >= -1 && r.top() < view.height() && (page.isNull() || r.top() < page.top()))
                page = r;
        }
        ASSERT_FALSE(page.isNull());
        EXPECT_TRUE(view.adjusted(-2, -2, 2, 2).contains(page))
            << page.width() << "x" << page.height() << " in " << view.width() << "x" << view.height();
        EXPECT_TRUE(page.height() >= view.height() * 9 / 10 || page.width() >= view.width() * 9 / 10)
            << page.width() << "x" << page.height() << " in " << view.width() << "x" << view.height();
        if (fitted == 0)
            fitted = window->QRPreview->zoomFactor();
        EXPECT_NEAR(window->QRPreview->zoomFactor(), fitted, 0.001);
    }
}

TEST_F(Preview, PrintingFromThePreviewRunsTheReportAgain)
{
    const QStringList lines = textsOf(report->record(), "QRLabel5");
    ASSERT_EQ(lines.size(), 18);
    const QString path = pdfPath("printed.pdf");
    int dialogs = 0;
    {
        PrintDialogScope dialog([&](QPrinter &chosen, QWidget *) {
            ++dialogs;
            EXPECT_EQ(&chosen, printer.get());
            chosen.setOutputFileName(path);
            return true;
        });
        window->TPrintClick();
    }
    EXPECT_EQ(dialogs, 1);
    EXPECT_TRUE(QFile::exists(path));
    EXPECT_EQ(textsOf(report->record(), "QRLabel5"), lines);
    EXPECT_TRUE(sink.requests.empty());

    // A cancelled dialog prints nothing.
    QFile::remove(path);
    window->TPrintClick();
    EXPECT_FALSE(QFile::exists(path));

    // A printer that cannot start is reported, not taken for done.
    {
        PrintDialogScope dialog([&](QPrinter &chosen, QWidget *) {
            chosen.setOutputFileName(folder.filePath("missing/folder/printed.pdf"));
            return true;
        });
        window->TPrintClick();
    }
    EXPECT_EQ(sink.texts(MessageRequest::Kind::ShowMessage), QStringList{"Unable to print the report."});
}

TEST_F(Preview, ClosesAndFreesItself)
{
    window->Bonline->click();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(window.isNull());
}

// ---- Commands of the main window --------------------------------------------

class PrintCommands : public OpenFixture {
protected:
    void SetUp() override
    {
        SetPrinterStateSource([] {
            PrinterState s;
            s.printers = {"Office"};
            s.defaultPrinter = "Office";
            return s;
        });
        OpenFixture::SetUp();
    }
    void TearDown() override
    {
        // The closed previews go before the printer they painted on.
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        OpenFixture::TearDown();
        SetPrinterStateSource({});
        FreeProgramPrinter();
    }
    CPolyraDatabase *databaseWith(std::initializer_list<const char *> names)
    {
        auto *db = new CPolyraDatabase;
        for (const char *n : names)
            db->addProject(makeProject(n));
        return db;
    }
};

TEST_F(PrintCommands, PreviewShowsTheSelectedProjectsReport)
{
    CPolyraDatabase *db = databaseWith({"First", "Second"});
    select(db->getTreeNode()->child(1));
    QStringList shown;
    int pages = 0;
    {
        ModalFormAnswerScope answer([&](TFBasicForm &form) {
            auto *preview = qobject_cast<TFPreview *>(&form);
            ASSERT_TRUE(preview);
            // Coming back to the program meanwhile keeps the printer it paints on.
            main->ApplicationActivated();
            preview->QRPreview->updatePreview();
            pages = preview->QRPreview->pageCount();
            shown << preview->windowTitle();
        });
        main->action("MPrintPreview")->trigger();
    }
    EXPECT_EQ(shown, QStringList{"Preview"});
    EXPECT_GE(pages, 1);
    EXPECT_TRUE(messages().isEmpty()) << messages().join('|').toStdString();
    delete db;
}

TEST_F(PrintCommands, PrintAsksOnceAndPrintsTheProject)
{
    CPolyraDatabase *db = databaseWith({"First"});
    select(db->getTreeNode()->child(0));
    const QString path = files.filePath("printed.pdf");
    int dialogs = 0;
    {
        PrintDialogScope dialog([&](QPrinter &printer, QWidget *) {
            ++dialogs;
            EXPECT_EQ(&printer, &ProgramPrinter());
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(path);
            return true;
        });
        main->action("MPrint")->trigger();
    }
    EXPECT_EQ(dialogs, 1);
    EXPECT_TRUE(QFile::exists(path));
    EXPECT_TRUE(messages().isEmpty()) << messages().join('|').toStdString();

    // Cancelled: nothing is printed.
    QFile::remove(path);
    main->tree()->setFocus();
    main->action("MPrint")->trigger();
    EXPECT_FALSE(QFile::exists(path));
    delete db;
}

TEST_F(PrintCommands, ADatabaseIsAcceptedAndNothingSelectedIsRefused)
{
    CPolyraDatabase *db = databaseWith({"First"});
    select(db->getTreeNode());
    int previews = 0;
    ModalFormAnswerScope answer([&](TFBasicForm &) { ++previews; });
    // The toolbar's button: the menu item is only enabled for projects.
    QAction *button = main->findChild<QAction *>("ToolButton11");
    ASSERT_TRUE(button);
    button->trigger();
    EXPECT_TRUE(messages().isEmpty()) << messages().join('|').toStdString();
    EXPECT_EQ(previews, 0);

    select(main->databasesNode());
    button->trigger();
    EXPECT_EQ(messages(), QStringList{"No Project or Database selected.\nPlease select a Project or Database from the "
                                      "Result Tree on the left."});
    delete db;
}

// What Print's own dialog lists, separators left out.
QStringList printDialogEntries()
{
    QPrinter printer;
    QPrintDialog dialog(&printer);
    // It fills its list when it is shown.
    dialog.show();
    QApplication::processEvents();
    QStringList entries;
    if (auto *list = dialog.findChild<QComboBox *>("printers"))
        for (int i = 0; i < list->count(); ++i)
            if (!list->itemText(i).isEmpty())
                entries << list->itemText(i);
    dialog.close();
    return entries;
}

// The main window's Page Setup and the preview's Printer Settings (button
// and menu) show one printer set-up, which offers the printers the print
// dialog offers; the PDF file chosen there is what the reports print on.
TEST_F(PrintCommands, PageSetupAndThePreviewsPrinterSettingsOfferWhatPrintingLists)
{
    const QStringList printing = printDialogEntries();
    ASSERT_TRUE(printing.contains(TFPrinterSetup::pdfEntryText())) << printing.join('|').toStdString();
    CPolyraDatabase *db = databaseWith({"First"});

    const auto clickFileMenuItem = [](TFPreview &preview, const QString &caption) {
        QMenu *file = preview.menuBar->actions().value(0)->menu();
        ASSERT_TRUE(file);
        QTest::mouseClick(preview.menuBar, Qt::LeftButton, {},
                          preview.menuBar->actionGeometry(preview.menuBar->actions().value(0)).center());
        ASSERT_EQ(QApplication::activePopupWidget(), file);
        for (QAction *item : file->actions())
            if (item->text() == caption)
                QTest::mouseClick(file, Qt::LeftButton, {}, file->actionGeometry(item).center());
    };
    struct Road {
        const char *name;
        const char *command;                      // of the main window
        std::function<void(TFPreview &)> inPreview; // the click there
    };
    const Road roads[] = {
        {"Page Setup", "MPrintsettings", {}},
        {"Printer Settings", "MPrintPreview",
         [](TFPreview &preview) {
             QTest::mouseClick(preview.toolBar->widgetForAction(preview.TPrinterSetup), Qt::LeftButton);
         }},
        {"the preview's Page setup", "MPrintPreview",
         [&](TFPreview &preview) { clickFileMenuItem(preview, "Page setup"); }},
    };
    for (const Road &road : roads) {
        SCOPED_TRACE(road.name);
        FreeProgramPrinter();
        main->activateWindow();
        QApplication::setActiveWindow(main.get());
        select(db->getTreeNode()->child(0));
        StrayDialogCloser stray;
        QStringList titles;
        QStringList offered;
        QStringList buttons;
        {
            ModalFormAnswerScope answer([&](TFBasicForm &form) {
                if (auto *preview = qobject_cast<TFPreview *>(&form)) {
                    if (road.inPreview)
                        road.inPreview(*preview);
                    return;
                }
                auto *setup = qobject_cast<TFPrinterSetup *>(&form);
                ASSERT_TRUE(setup);
                titles << setup->windowTitle();
                for (int i = 0; i < setup->PrinterName->count(); ++i)
                    if (!setup->PrinterName->itemText(i).isEmpty())
                        offered << setup->PrinterName->itemText(i);
                for (QPushButton *b : setup->findChildren<QPushButton *>())
                    buttons << b->text();
                // The last entry is the PDF file.
                setup->PrinterName->setFocus();
                QTest::keyClick(setup->PrinterName, Qt::Key_End);
                EXPECT_EQ(setup->PrinterName->currentText(), TFPrinterSetup::pdfEntryText());
                QTest::mouseClick(setup->OKButton, Qt::LeftButton);
            });
            main->action(road.command)->trigger();
        }
        EXPECT_EQ(titles, QStringList{"Print Setup"});
        EXPECT_TRUE(stray.closed.isEmpty()) << stray.closed.join('|').toStdString();
        EXPECT_EQ(offered, printing);
        EXPECT_EQ(buttons, (QStringList{"OK", "Cancel"}));
        EXPECT_EQ(ProgramPrinter().outputFormat(), QPrinter::PdfFormat);
        EXPECT_TRUE(messages().isEmpty()) << messages().join('|').toStdString();
    }
    delete db;
}

TEST(Printers, PdfCountsAsAPrinter)
{
    RecordingMessageSink sink;
    SetPrinterStateSource({});
    EXPECT_TRUE(CheckPrinters());
    EXPECT_TRUE(sink.requests.empty());
}

// ---- The about box ----------------------------------------------------------

TEST_F(PrintCommands, AboutShowsTheProductVersionAndBuild)
{
    QStringList texts;
    QPointer<TAboutBox> shown;
    {
        ModalFormAnswerScope answer([&](TFBasicForm &form) {
            auto *box = qobject_cast<TAboutBox *>(&form);
            ASSERT_TRUE(box);
            shown = box;
            texts << box->windowTitle() << box->ProductName->text() << box->Version->text() << box->EDate->text()
                  << box->OKButton->text();
            box->OKButton->click();
        });
        main->action("About1")->trigger();
    }
    EXPECT_EQ(texts, (QStringList{"About Scorvista2000", "Scorvista2001 SE", "Ver 3.2.0.1", "Feb  1 2002 22:23:34", "&Ok"}));
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(shown.isNull());
}

} // namespace
