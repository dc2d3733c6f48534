#pragma once

#include <cstddef>
#include <span>
#include <vector>

#include "basicreport.h"
#include "uTestList.h"

class CBasicProject;

// The report of one project: its name and description, its display
// settings, one line per shown test with the project's result, a summary of
// the machine and the notice that goes with published results.
class TRProjectReport : public TRBasicReport {
public:
    // The project stays the caller's and must outlive the report. The test
    // lines walk tests_ (the catalogue's table unless a test gives another)
    // up to its end row.
    explicit TRProjectReport(CBasicProject *project_, std::span<const TestTableRow> tests_ = testTable);

    CBasicProject *project() const { return printedProject; }

    ReportBand *DetailBand = nullptr;
    ReportElement *LProject = nullptr;
    ReportElement *QRLabel8 = nullptr;
    ReportBand *CommentBand = nullptr;
    ReportElement *Comments = nullptr;
    ReportBand *QRChildBand1 = nullptr;
    ReportBand *QRChildBand2 = nullptr;
    ReportBand *QRSubDetail1 = nullptr;
    ReportElement *QRLabel5 = nullptr;
    ReportElement *QRLabel6 = nullptr;
    ReportBand *SummaryBand = nullptr;
    ReportBand *QrMissingFeatures = nullptr;
    ReportElement *QRMemoMissing = nullptr;
    ReportBand *Chart2Band = nullptr;
    ReportBand *HardwareBand = nullptr;
    ReportBand *AcceleratorBand = nullptr;
    ReportBand *AcceleratorEnd = nullptr;
    ReportElement *QrCardMemo = nullptr;
    ReportBand *QREnd = nullptr;
    ReportElement *QRMemo1 = nullptr;

    // One record: true once, then false until the next printing.
    bool QuickRepNeedData();
    // The next shown test into QRLabel5 and QRLabel6; false at the table's end.
    bool QRSubDetail1NeedData();

private:
    void QuickRepBeforePrint();
    bool QRChildBand1BeforePrint();
    bool HardwareBandBeforePrint();

    bool recordDelivered = false;
    std::size_t testIndex = 0;
    CBasicProject *printedProject;
    std::span<const TestTableRow> tests;
    std::vector<ReportElement *> settingValues;
    std::vector<ReportElement *> hardwareValues;
};

// The project's print command: its report printed on the program's printer
// or previewed.
void PrintProjectReport(CBasicProject &project_, bool preview_);
