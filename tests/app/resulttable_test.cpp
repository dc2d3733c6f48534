// Before Qt's headers, whose keywords its member names would meet.
#include "uSystemInfo.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "Ucommoncalls.h"
#include "imagebuilder.h"
#include "item_bytes.h"
#include "openimage.h"
#include "resulttable.h"
#include "samplemachine.h"
#include "uBasicProject.h"
#include "uTestList.h"

namespace {

std::vector<std::string> splitLines(const std::string &text)
{
    std::vector<std::string> lines;
    std::size_t from = 0;
    for (std::size_t at; (at = text.find("\r\n", from)) != std::string::npos; from = at + 2)
        lines.push_back(text.substr(from, at - from));
    EXPECT_EQ(from, text.size()) << "text does not end with CR LF";
    return lines;
}

std::vector<std::string> cellsOf(const std::string &line)
{
    std::vector<std::string> cells;
    std::size_t from = 0;
    for (std::size_t at; (at = line.find('\t', from)) != std::string::npos; from = at + 1)
        cells.push_back(line.substr(from, at - from));
    cells.push_back(line.substr(from));
    return cells;
}

class ResultTable : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (int i = 1; i <= catalogue.getCount(); ++i)
            if (TTestList::isItemShown(catalogue.getItem(i)))
                rows.push_back(catalogue.getItem(i));
    }
    CBasicProject *project(const std::string &name, float score, bool withMachine)
    {
        Bytes items = image::basicItems(name, "A test", score, 202);
        if (withMachine)
            items = cat({items, blockItem(6, sample::machineBlock(false))});
        owned.emplace_back(projectOfImage(image::build(items)));
        return owned.back().get();
    }
    // The lines after the hardware block: one empty line, the notice
    // wrapped at 30, one more empty line.
    static std::vector<std::string> noticeLines()
    {
        std::vector<std::string> notice;
        AppendResultNotice(notice, false);
        WrapLines(notice, 30);
        return notice;
    }

    TTestList catalogue;
    std::vector<const TTestListItem *> rows;
    std::vector<std::unique_ptr<CBasicProject>> owned;
};

TEST_F(ResultTable, HasOneCellPerColumnOnEveryLineAndTheProjectsValues)
{
    // A hidden project is left out: no column of its own, not even an
    // empty one.
    struct Case {
        int projects;
        int hidden = -1;
    };
    for (const Case c : {Case{0}, Case{1}, Case{3}, Case{3, 0}, Case{3, 1}, Case{3, 2}, Case{1, 0}}) {
        SCOPED_TRACE(testing::Message() << c.projects << " hidden " << c.hidden);
        std::vector<CBasicProject *> columns;
        const char *names[] = {"Rig A", "Rig B", "Rig C"};
        for (int i = 0; i < c.projects; ++i) {
            columns.push_back(project(names[i], 1000.0f * float(i + 1), i == 0));
            columns.back()->setHidden(i == c.hidden);
        }
        // The grid of an empty database keeps one empty project column.
        if (columns.empty())
            columns.push_back(nullptr);
        const std::string text = resultTableText(columns, rows);
        const std::vector<std::string> lines = splitLines(text);
        std::vector<CBasicProject *> shown;
        for (CBasicProject *p : columns)
            if (!p || !p->isHidden())
                shown.push_back(p);
        EXPECT_EQ(shown.size(), columns.size() - (c.hidden >= 0 ? 1 : 0));
        const std::size_t cells = shown.size() + 1;

        std::vector<std::string> header{"Test"};
        for (CBasicProject *p : shown)
            header.push_back(p ? p->getName() : "");
        ASSERT_FALSE(lines.empty());
        EXPECT_EQ(cellsOf(lines[0]), header);

        ASSERT_GE(lines.size(), 1 + rows.size() + 5 + 1);
        for (std::size_t r = 0; r < rows.size(); ++r) {
            const TTestListItem *item = rows[r];
            const std::vector<std::string> line = cellsOf(lines[1 + r]);
            std::vector<std::string> expected{TTestList::getItemCaption(item, 0x100)};
            for (CBasicProject *p : shown)
                expected.push_back(p ? TTestList::getItemValueText(item, p) : "");
            if (item->kind == tkTest)
                expected.emplace_back(item->row.unit);
            EXPECT_EQ(line, expected) << "row " << r;
        }
        const char *hardware[] = {"Processor Type", "Processor Speed", "L1 Cache size", "L2 Cache size",
                                  "Physical Memory"};
        for (int h = 0; h < 5; ++h) {
            const std::vector<std::string> line = cellsOf(lines[1 + rows.size() + std::size_t(h)]);
            ASSERT_EQ(line.size(), cells);
            EXPECT_EQ(line[0], hardware[h]);
        }
        EXPECT_EQ(lines[1 + rows.size() + 5], "");
        const std::vector<std::string> notice = noticeLines();
        ASSERT_EQ(lines.size(), 1 + rows.size() + 5 + 1 + notice.size() + 1);
        for (std::size_t i = 0; i < notice.size(); ++i)
            EXPECT_EQ(lines[1 + rows.size() + 6 + i], notice[i]);
        EXPECT_EQ(lines.back(), "");
        EXPECT_EQ(text.find('\n'), text.find("\r\n") + 1) << "a line feed without its carriage return";
    }
}

TEST_F(ResultTable, EmptyDatabaseGivesTestAndOneTab)
{
    const std::string text = resultTableText({nullptr}, rows);
    EXPECT_EQ(text.substr(0, 7), "Test\t\r\n");
}

TEST_F(ResultTable, HardwareLinesCarryTheMachinesTexts)
{
    CBasicProject *rig = project("Rig A", 2000.0f, true);
    CBasicProject *bare = project("Bare", 1000.0f, false);
    const std::vector<std::string> lines = splitLines(resultTableText({rig, bare}, rows));
    // A project without a block shows what its empty system information says.
    const auto texts = [](CBasicProject *p) {
        const CSystemInfo *info = p->getSystemInfo();
        return std::vector<std::string>{p->getCpuName(), p->getCpuSpeedText(),
                                        info ? info->getL1CacheText() : "", info ? info->getL2CacheText() : "",
                                        info ? info->getTotalPhysicalMemoryText() : ""};
    };
    const std::vector<std::string> rigTexts = texts(rig), bareTexts = texts(bare);
    const char *captions[] = {"Processor Type", "Processor Speed", "L1 Cache size", "L2 Cache size", "Physical Memory"};
    for (std::size_t h = 0; h < 5; ++h)
        EXPECT_EQ(cellsOf(lines[1 + rows.size() + h]), (std::vector<std::string>{captions[h], rigTexts[h], bareTexts[h]}));
    EXPECT_EQ(rigTexts[4], "512 MB");
    EXPECT_FALSE(rig->getCpuName().empty());
}

TEST_F(ResultTable, NoticeLinesAreWrappedAtThirty)
{
    for (const std::string &line : noticeLines()) {
        // A cut line ends in the blank where it was cut; a word longer than
        // the width stays whole.
        if (line.size() > 31) {
            EXPECT_EQ(line.find(' '), std::string::npos) << line;
        }
    }
}

} // namespace
