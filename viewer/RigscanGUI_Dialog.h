#ifndef VIEWER_RIGSCANGUI_DIALOG_H
#define VIEWER_RIGSCANGUI_DIALOG_H

#include <QIcon>
#include <memory>
#include <string>
#include <vector>

#include "SplitterDialog.h"
#include "modelstream.h"

class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

// One node of the tree, made while the model writes itself into the dialog.
struct TreeViewItem {
    std::string name;
    std::vector<std::string> lines;
    TreeViewItem *parent = nullptr;
    // Only nodes with 0 are expanded after filling: the root.
    int collapsed = 1;
    int id = 0;
    // Set when the node is inserted into the tree control.
    QTreeWidgetItem *handle = nullptr;
};

// The system-information dialog. The model writes itself into it as into any
// output stream; every container, list and value becomes a node or a line.
class RigscanGUI_Dialog : public CSplitterDialog, public KV_Rigscan::BaseOutputStream {
public:
    explicit RigscanGUI_Dialog(QWidget *parent_ = nullptr);
    ~RigscanGUI_Dialog() override;

    KV_Rigscan::BaseOutputStream &operator<<(const KV_Rigscan::BaseContainer &container_) override;
    KV_Rigscan::BaseOutputStream &operator<<(const KV_Rigscan::Datatype &value_) override;
    KV_Rigscan::BaseOutputStream &operator<<(const KV_Rigscan::ChunkHeader &header_) override;
    KV_Rigscan::BaseOutputStream &operator<<(const KV_Rigscan::BaseList &list_) override;
    KV_Rigscan::BaseOutputStream &operator<<(const KV_Rigscan::BaseList::Length &length_) override;

    // Inserts the nodes made so far, adds the summary and shows the root.
    void initDialog();

private:
    TreeViewItem *addItem(const char *name_, int id_);
    TreeViewItem *top() const { return stack.empty() ? nullptr : stack.back(); }
    void showItem(const TreeViewItem &item_);
    void selectionChanged(QTreeWidgetItem *current_);

    QTreeWidget *tree = nullptr;
    CColorEdit *text = nullptr;
    QPushButton *closeButton = nullptr;
    QIcon itemIcon;

    std::vector<std::unique_ptr<TreeViewItem>> items;
    std::vector<TreeViewItem *> stack;
    TreeViewItem *root = nullptr;

    std::string operatingSystem = "Operating System:\t\t";
    std::string motherboardManufacturer = "Motherboard Manufacturer:\t";
    std::string motherboardModel = "Motherboard Model:\t\t";
    std::string totalMemory = "Total Physical Memory:\t";
    std::string freeMemory = "Free Physical Memory:\t";
    std::string processorManufacturer;
    std::string processorFamily;
    std::string processorClock;
    std::string processorLine;
    std::string graphicsNames;
    unsigned processorMHz = 0;
    int processorCount = 0;
    int graphicsCount = 0;
    bool batteriesPresent = false;
};

#endif
