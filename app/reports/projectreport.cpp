// Before any Qt header: the model has members named like Qt's keyword macros.
#include "uSystemInfo.h"

#include "projectreport.h"

#include <string>

#include "Cp1252.h"
#include "Ucommoncalls.h"
#include "reportfonts.h"
#include "uBasicProject.h"

namespace {

constexpr double rowHeight = 5.0;
constexpr double tableTop = 9.0;
constexpr double captionLeft = 10.0;
constexpr double valueLeft = 70.0;

const char *const settingCaptions[] = {
    "Rendering platform:", "Resolution:", "Color Depth:", "Rendering Pipeline", "Frame Buffer:", "Z-Buffer:",
    "Texture format:",     "Full-Scene Anti-Aliasing:",
};

const char *const hardwareCaptions[] = {
    "Operating System:",     "DirectX version:", "Processor:", "L1 Cache:", "L2 Cache:",
    "Total Physical Memory:", "Graphics Card:",    "Total Local Video Memory:", "Total Local Texture Memory:",
    "Display Driver Version:", "Motherboard Manufacturer:", "Motherboard Model:",
};

// A band's title and a table of captions with their value labels under it.
std::vector<ReportElement *> addTable(ReportBand *band_, const QString &title_, std::span<const char *const> captions_)
{
    band_->add(QStringLiteral("L") + band_->name + QStringLiteral("Title"), ElementKind::Label, {0, 2, 100, 6},
               reportFont(11, true), title_);
    std::vector<ReportElement *> values;
    for (std::size_t i = 0; i < captions_.size(); ++i) {
        const double top = tableTop + static_cast<double>(i) * rowHeight;
        band_->add(QStringLiteral("%1Caption%2").arg(band_->name).arg(i + 1), ElementKind::Label,
                   {captionLeft, top, valueLeft - captionLeft, rowHeight}, reportFont(9),
                   QString::fromLatin1(captions_[i]));
        values.push_back(band_->add(QStringLiteral("%1Value%2").arg(band_->name).arg(i + 1), ElementKind::Label,
                                    {valueLeft, top, 180.0 - valueLeft, rowHeight}, reportFont(9)));
    }
    return values;
}

double tableHeight(std::size_t rows_)
{
    return tableTop + static_cast<double>(rows_) * rowHeight + 2.0;
}

} // namespace

TRProjectReport::TRProjectReport(CBasicProject *project_, std::span<const TestTableRow> tests_)
    : TRBasicReport(QStringLiteral("Project Results")), printedProject(project_), tests(tests_)
{
    QuickRep.beforePrint = [this] { QuickRepBeforePrint(); };
    QuickRep.needData = [this] { return QuickRepNeedData(); };

    DetailBand = QuickRep.addBand(QStringLiteral("DetailBand"), BandKind::Detail, 12.0);
    LProject = DetailBand->add(QStringLiteral("LProject"), ElementKind::Label, {0, 3, 25, 7}, reportFont(12, true),
                               QStringLiteral("Project:"));
    QRLabel8 = DetailBand->add(QStringLiteral("QRLabel8"), ElementKind::Label, {25, 3, pageWidth - 25, 7},
                               reportFont(12, true));
    DetailBand->beforePrint = [this] {
        QRLabel8->text = fromCp1252(printedProject->getName());
        return true;
    };

    CommentBand = QuickRep.addBand(QStringLiteral("CommentBand"), BandKind::Child, 7.0, DetailBand);
    Comments = CommentBand->add(QStringLiteral("Comments"), ElementKind::Memo, {0, 1, pageWidth, 5}, reportFont(10));
    CommentBand->beforePrint = [this] { return !Comments->lines.join(QString()).isEmpty(); };

    QRChildBand1 = QuickRep.addBand(QStringLiteral("QRChildBand1"), BandKind::Child, tableHeight(std::size(settingCaptions)),
                                    CommentBand);
    settingValues = addTable(QRChildBand1, QStringLiteral("Settings"), settingCaptions);
    QRChildBand1->beforePrint = [this] { return QRChildBand1BeforePrint(); };

    QRChildBand2 = QuickRep.addBand(QStringLiteral("QRChildBand2"), BandKind::Child, 9.0, QRChildBand1);
    QRChildBand2->add(QStringLiteral("LTestResults"), ElementKind::Label, {0, 2, 100, 6}, reportFont(11, true),
                      QStringLiteral("Test Results"));

    QRSubDetail1 = QuickRep.addBand(QStringLiteral("QRSubDetail1"), BandKind::SubDetail, rowHeight);
    QRLabel5 = QRSubDetail1->add(QStringLiteral("QRLabel5"), ElementKind::Label, {captionLeft, 0, 100, rowHeight},
                                 reportFont(9));
    QRLabel6 = QRSubDetail1->add(QStringLiteral("QRLabel6"), ElementKind::Label, {110, 0, 60, rowHeight}, reportFont(9));
    QRLabel6->alignment = Qt::AlignRight;
    QRSubDetail1->needData = [this] { return QRSubDetail1NeedData(); };

    SummaryBand = QuickRep.addBand(QStringLiteral("SummaryBand"), BandKind::Summary, 4.0);
    SummaryBand->add(QStringLiteral("SummaryLine"), ElementKind::HorizontalLine, {0, 2, pageWidth, 0});

    QrMissingFeatures = QuickRep.addBand(QStringLiteral("QrMissingFeatures"), BandKind::Child, 15.0, SummaryBand);
    QrMissingFeatures->add(QStringLiteral("LMissingFeatures"), ElementKind::Label, {0, 2, 100, 6}, reportFont(11, true),
                           QStringLiteral("Missing Features"));
    QRMemoMissing = QrMissingFeatures->add(QStringLiteral("QRMemoMissing"), ElementKind::Memo,
                                           {captionLeft, 9, pageWidth - captionLeft, 5}, reportFont(9));
    QrMissingFeatures->beforePrint = [this] {
        QRMemoMissing->lines.clear();
        return !QRMemoMissing->lines.isEmpty();
    };

    Chart2Band = QuickRep.addBand(QStringLiteral("Chart2Band"), BandKind::Child, 80.0, QrMissingFeatures);
    Chart2Band->add(QStringLiteral("LChart2"), ElementKind::Label, {0, 2, 100, 6}, reportFont(11, true),
                    QStringLiteral("Texture Rendering Speed"));
    Chart2Band->enabled = false;

    HardwareBand = QuickRep.addBand(QStringLiteral("HardwareBand"), BandKind::Child,
                                    tableHeight(std::size(hardwareCaptions)), Chart2Band);
    hardwareValues = addTable(HardwareBand, QStringLiteral("System Info"), hardwareCaptions);
    HardwareBand->beforePrint = [this] { return HardwareBandBeforePrint(); };

    AcceleratorBand = QuickRep.addBand(QStringLiteral("AcceleratorBand"), BandKind::Child, 0.0, HardwareBand);
    AcceleratorEnd = QuickRep.addBand(QStringLiteral("AcceleratorEnd"), BandKind::Child, 2.0, AcceleratorBand);
    QrCardMemo = AcceleratorEnd->add(QStringLiteral("QrCardMemo"), ElementKind::Memo, {0, 0, pageWidth, 2}, reportFont(9));
    AcceleratorBand->beforePrint = [this] {
        QrCardMemo->lines.clear();
        return true;
    };

    QREnd = QuickRep.addBand(QStringLiteral("QREnd"), BandKind::Child, 10.0, AcceleratorEnd);
    QRMemo1 = QREnd->add(QStringLiteral("QRMemo1"), ElementKind::Memo, {0, 4, pageWidth, 4}, reportFont(8));
    QREnd->beforePrint = [this] {
        QRMemo1->lines.clear();
        AppendResultNotice(QRMemo1->lines, true);
        return true;
    };
}

void TRProjectReport::QuickRepBeforePrint()
{
    recordDelivered = false;
    testIndex = 0;
    Comments->lines = QStringList{fromCp1252(printedProject->getDescription())};
}

bool TRProjectReport::QuickRepNeedData()
{
    if (recordDelivered)
        return false;
    recordDelivered = true;
    return true;
}

bool TRProjectReport::QRSubDetail1NeedData()
{
    auto atEnd = [this] { return testIndex >= tests.size() || tests[testIndex].id < 1; };
    // From the first row: the first one is the overall score.
    while (!atEnd() && !tests[testIndex].shown)
        ++testIndex;
    if (atEnd()) {
        testIndex = 0;
        return false;
    }
    const TestTableRow &row = tests[testIndex++];
    QRLabel5->text = fromCp1252(getTestTitle(row, 0));
    const TTestValueList *values = printedProject->getTestValues();
    const TTestValue *value = values ? values->findByTestId(row.id) : nullptr;
    QRLabel6->text = value ? fromCp1252(value->getText()) : QString();
    return true;
}

bool TRProjectReport::QRChildBand1BeforePrint()
{
    CBasicProject &p = *printedProject;
    const std::string values[] = {
        p.getRenderingPlatform(), p.getResolutionText(),      p.getColorDepthText(false), p.getRenderingPipeline(),
        p.getFrameBufferText(false), p.getZBufferText(), p.getTextureFormatText(),  p.getFsaaText(),
    };
    for (std::size_t i = 0; i < settingValues.size(); ++i)
        settingValues[i]->text = fromCp1252(values[i]);
    return true;
}

bool TRProjectReport::HardwareBandBeforePrint()
{
    CBasicProject &p = *printedProject;
    // Without system information, the texts of a machine of which nothing is known.
    const CSystemInfo missing(nullptr, 0, p.getVersion() < 202);
    const CSystemInfo &info = p.getSystemInfo() ? *p.getSystemInfo() : missing;
    const std::string device = p.getRenderingPlatform();
    const std::string values[] = {
        info.getOperatingSystemText(),
        info.getDirectXVersionText(),
        p.getCpuName() + " @ " + p.getCpuSpeedText(),
        info.getL1CacheText(),
        info.getL2CacheText(),
        info.getTotalPhysicalMemoryText(),
        device,
        info.getVideoMemoryText(device),
        info.getTextureMemoryText(device),
        info.getDriverVersionText(device),
        info.getMotherboardManufacturer(),
        info.getMotherboardModel(),
    };
    for (std::size_t i = 0; i < hardwareValues.size(); ++i)
        hardwareValues[i]->text = fromCp1252(values[i]);
    return true;
}

void PrintProjectReport(CBasicProject &project_, bool preview_)
{
    TRProjectReport report(&project_);
    RunReport(&report, preview_ ? ReportPreview : ReportPrint);
}
