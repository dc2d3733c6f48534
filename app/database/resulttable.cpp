#include "resulttable.h"

// Before Qt's headers, whose keywords its member names would meet.
#include "uSystemInfo.h"

#include <QApplication>
#include <QClipboard>

#include "Cp1252.h"
#include "Ucommoncalls.h"
#include "databasewindow.h"
#include "impstringgrid.h"
#include "uBasicProject.h"
#include "uTestList.h"

namespace {

constexpr const char *cellBreak = "\t";
constexpr const char *lineEnd = "\r\n";

std::string hardwareText(int line_, CBasicProject *project_)
{
    const CSystemInfo *info = project_->getSystemInfo();
    switch (line_) {
    case 0: return project_->getCpuName();
    case 1: return project_->getCpuSpeedText();
    case 2: return info ? info->getL1CacheText() : std::string();
    case 3: return info ? info->getL2CacheText() : std::string();
    default: return info ? info->getTotalPhysicalMemoryText() : std::string();
    }
}

} // namespace

std::string resultTableText(const std::vector<CBasicProject *> &columns_, const std::vector<const TTestListItem *> &rows_)
{
    std::string text = "Test";
    // Every line carries one cell per column, so the columns stay lined up
    // in the spreadsheet. A hidden project is left out, as the grid and the
    // charts leave it out: its empty column would be a stray one there.
    std::vector<CBasicProject *> shown;
    for (CBasicProject *project : columns_)
        if (!project || !project->isHidden())
            shown.push_back(project);
    const auto cells = [&](auto &&cellOf) {
        for (CBasicProject *project : shown) {
            text += cellBreak;
            if (project)
                text += cellOf(project);
        }
    };
    cells([](CBasicProject *p) { return p->getName(); });
    text += lineEnd;
    for (const TTestListItem *item : rows_) {
        if (!item)
            continue;
        text += TTestList::getItemCaption(item, 0x100);
        cells([item](CBasicProject *p) { return TTestList::getItemValueText(item, p); });
        if (item->kind == tkTest) {
            text += cellBreak;
            text += item->row.unit;
        }
        text += lineEnd;
    }
    static const char *const hardware[] = {"Processor Type", "Processor Speed", "L1 Cache size", "L2 Cache size",
                                           "Physical Memory"};
    for (int line = 0; line < 5; ++line) {
        text += hardware[line];
        cells([line](CBasicProject *p) { return hardwareText(line, p); });
        text += lineEnd;
    }
    text += lineEnd;
    std::vector<std::string> notice;
    AppendResultNotice(notice, false);
    WrapLines(notice, 30);
    for (const std::string &line : notice) {
        text += line;
        text += lineEnd;
    }
    text += lineEnd;
    return text;
}

void copyGridToClipboard(TImpStringGrid *grid_)
{
    if (!grid_ || grid_->tag() == 1)
        return;
    TFDatabase *window = nullptr;
    for (QWidget *w = grid_; w && !window; w = w->parentWidget())
        window = qobject_cast<TFDatabase *>(w);
    if (!window)
        return;
    if (grid_->tag() == TImpStringGrid::ImageGridTag) {
        window->copyPictureAtMouse();
        return;
    }
    QApplication::clipboard()->setText(fromCp1252(window->detailsTableText()));
}
