#include "RigscanGUI_Dialog.h"

#include <QApplication>
#include <QPushButton>
#include <QStyle>
#include <QTreeWidget>
#include <algorithm>
#include <cstdio>

#include "Cp1252.h"
#include "basecomponent.h"
#include "units.h"

using namespace KV_Rigscan;

namespace {

// Dialog units of the 8-point dialog font (base units 6 x 13) in pixels.
constexpr int clientWidth = 597, clientHeight = 410;
const QRect closeGeometry(502, 375, 75, 23);
const QRect treeGeometry(9, 11, 236, 354);
const QRect textGeometry(258, 11, 329, 354);
// 32 dialog units, so the ":\t\t\t" columns line up.
constexpr int tabStop = 48;

// Nodes whose lines show elsewhere: the DirectDraw and DirectShow nodes and
// the list nodes whose records hang under the list's owner.
bool neverInserted(int id_)
{
    switch (id_) {
    case 3: case 4: case 24: case 25: case 26: case 27: case 30: case 32: case 33:
        return true;
    default:
        return false;
    }
}

std::string separatorFor(std::size_t length_)
{
    if (length_ <= 8)
        return ":\t\t\t";
    if (length_ <= 16)
        return ":\t\t";
    return ":\t";
}

std::vector<std::string> splitCapabilities(const std::string &text_)
{
    std::vector<std::string> pieces;
    std::size_t from = 0;
    for (std::size_t at; (at = text_.find(", ", from)) != std::string::npos; from = at + 2)
        pieces.push_back(text_.substr(from, at - from));
    pieces.push_back(text_.substr(from));
    if (pieces.size() >= 2)
        std::sort(pieces.begin(), pieces.end());
    return pieces;
}

} // namespace

RigscanGUI_Dialog::RigscanGUI_Dialog(QWidget *parent_) : CSplitterDialog(parent_)
{
    setWindowTitle(QStringLiteral("CorvalinSoft System Info"));
    resize(clientWidth, clientHeight);
    itemIcon = style()->standardIcon(QStyle::SP_ComputerIcon);

    closeButton = new QPushButton(QStringLiteral("&Close"), this);
    closeButton->setObjectName(QStringLiteral("close"));
    closeButton->setGeometry(closeGeometry);
    connect(closeButton, &QPushButton::clicked, this, &QDialog::accept);

    tree = new QTreeWidget(this);
    tree->setObjectName(QStringLiteral("tree"));
    tree->setHeaderHidden(true);
    tree->setColumnCount(1);
    tree->setIconSize(QSize(16, 16));
    tree->setGeometry(treeGeometry);
    connect(tree, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem *current_, QTreeWidgetItem *) { selectionChanged(current_); });

    text = new CColorEdit(this);
    text->setObjectName(QStringLiteral("text"));
    text->setGeometry(textGeometry);
    text->setLineWrapMode(QPlainTextEdit::NoWrap);
    text->setTabStopDistance(tabStop);
}

// The items go with the dialog, also when it was never shown.
RigscanGUI_Dialog::~RigscanGUI_Dialog() = default;

TreeViewItem *RigscanGUI_Dialog::addItem(const char *name_, int id_)
{
    auto item = std::make_unique<TreeViewItem>();
    item->name = name_ ? name_ : "";
    item->id = id_;
    items.push_back(std::move(item));
    return items.back().get();
}

BaseOutputStream &RigscanGUI_Dialog::operator<<(const BaseContainer &container_)
{
    const int id = container_.getID();
    TreeViewItem *item = addItem(container_.getName(), id);
    if (TreeViewItem *t = top()) {
        switch (id) {
        case 12: // hard disk
        case 22: // battery
            batteriesPresent = true;
            item->parent = t->parent;
            break;
        case 14: case 15: case 18: case 19: case 21:
            // Records whose list nodes are never shown hang under the list's owner.
            item->parent = t->parent;
            break;
        default:
            item->parent = t;
        }
    } else {
        item->collapsed = 0;
        root = item;
    }

    stack.push_back(item);
    container_.writeToStream(*this);
    if (id == 11 && !batteriesPresent)
        top()->lines.push_back("<no batteries present>");
    if (id == 15 && processorMHz != 0)
        processorLine = processorManufacturer + " " + processorFamily + " @ " + processorClock;
    stack.pop_back();
    return *this;
}

BaseOutputStream &RigscanGUI_Dialog::operator<<(const BaseList &list_)
{
    TreeViewItem *item = addItem(list_.getName(), list_.getID());
    if (TreeViewItem *t = top()) {
        if (list_.getID() == 28) // display devices: under the root
            item->parent = t->parent ? t->parent->parent : nullptr;
        else if (list_.getID() == 31) // DirectShow filters: under DirectX
            item->parent = t->parent;
        else
            item->parent = t;
    }
    stack.push_back(item);
    list_.writeToStream(*this);
    stack.pop_back();
    return *this;
}

BaseOutputStream &RigscanGUI_Dialog::operator<<(const Datatype &value_)
{
    TreeViewItem *t = top();
    if (!t)
        return *this;
    const std::string name = value_.getName() ? value_.getName() : "";
    const std::string valueText = value_.toString();
    std::string line = name;
    if (!name.empty())
        line += separatorFor(name.size());
    line += valueText;

    switch (value_.getState()) {
    case 2:
        operatingSystem += valueText;
        break;
    case 3:
        processorManufacturer = valueText;
        break;
    case 4: {
        const auto *clock = dynamic_cast<const Frequency *>(&value_);
        if (!clock)
            throw SIException("RigscanGUI_Dialog", "RigscanGUI_Dialog::operator << ( const Datatype& datatype )",
                              "Frequency down-casting failed");
        processorMHz = static_cast<unsigned>(clock->get64() >> 20);
        processorClock = valueText;
        if (processorMHz != 0)
            ++processorCount;
        break;
    }
    case 5:
        processorFamily = valueText;
        break;
    case 6:
        if (graphicsNames.size() > 1)
            graphicsNames += "\r\n\t\t\t";
        graphicsNames += valueText;
        ++graphicsCount;
        break;
    case 7:
        totalMemory += valueText;
        break;
    case 8:
        freeMemory += valueText;
        break;
    case 9:
        motherboardManufacturer += valueText;
        break;
    case 10:
        motherboardModel += valueText;
        break;
    case 11: case 12: case 16: case 17: case 19: case 20: case 21: case 22:
        return *this;
    case 13: {
        TreeViewItem *caps = addItem("3D Capabilities", 0);
        caps->parent = t;
        caps->lines = splitCapabilities(valueText);
        return *this;
    }
    case 23: case 24:
        // The DirectDraw and DirectShow nodes are not shown: their versions
        // show on the DirectX node too.
        if (t->parent)
            t->parent->lines.push_back(line);
        break;
    case 25: case 26:
        if (!valueText.empty() && valueText[0] == '0')
            line = name + ":\t\tunknown";
        break;
    default:
        break;
    }
    t->lines.push_back(line);
    return *this;
}

BaseOutputStream &RigscanGUI_Dialog::operator<<(const ChunkHeader &)
{
    return *this;
}

BaseOutputStream &RigscanGUI_Dialog::operator<<(const BaseList::Length &)
{
    return *this;
}

void RigscanGUI_Dialog::initDialog()
{
    setWindowIcon(itemIcon);

    const QPalette::ColorRole base = QPalette::Base;
    if (tree->palette().isBrushSet(QPalette::Active, base))
        text->setBackgroundColor(tree->palette().color(base));

    setUp(std::make_unique<PaneDescriptor>(PaneDescriptor{tree, 20, 300, 10, 50, true}),
          std::make_unique<PaneDescriptor>(PaneDescriptor{text, 20, 300, 10, 50, true}), 40);
    anchor(closeButton);

    for (const auto &item : items) {
        if (neverInserted(item->id))
            continue;
        auto *node = new QTreeWidgetItem(QStringList(fromCp1252(item->name)));
        node->setIcon(0, itemIcon);
        if (item->parent && item->parent->handle)
            item->parent->handle->addChild(node);
        else
            tree->addTopLevelItem(node);
        item->handle = node;
    }

    if (root) {
        root->lines.push_back(operatingSystem);
        char prefix[48];
        if (processorCount > 1)
            std::snprintf(prefix, sizeof prefix, "Processors:\t\t%d x ", processorCount);
        else
            std::snprintf(prefix, sizeof prefix, "Processor:\t\t");
        root->lines.push_back(prefix + processorLine);
        root->lines.push_back((graphicsCount > 1 ? "Graphics Cards:\t\t" : "Graphics Card:\t\t") + graphicsNames);
        root->lines.push_back(totalMemory);
        root->lines.push_back(freeMemory);
        root->lines.push_back(motherboardManufacturer);
        root->lines.push_back(motherboardModel);
    }

    for (const auto &item : items)
        if (item->collapsed == 0 && item->handle)
            item->handle->setExpanded(true);

    text->setReadOnly(true);
    if (!items.empty() && items.front()->handle)
        tree->setCurrentItem(items.front()->handle);
}

void RigscanGUI_Dialog::showItem(const TreeViewItem &item_)
{
    std::string all;
    for (const std::string &line : item_.lines)
        all += line + "\r\n";
    QString shown = fromCp1252(all);
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text->clear();
    text->setPlainText(shown);
}

void RigscanGUI_Dialog::selectionChanged(QTreeWidgetItem *current_)
{
    for (const auto &item : items)
        if (item->handle && item->handle == current_) {
            showItem(*item);
            return;
        }
}
