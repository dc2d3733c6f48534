#pragma once

// Stands in for the window layer: records what the data layer asks of it and
// answers questions from a queue (Cancel when the queue is empty).

#include <deque>
#include <string>
#include <vector>

#include "AppServices.h"

class TTreeNode {
public:
    std::string text;
    int state = 0;
    TTreeNode *parent = nullptr;
};

class RecordingServices : public CAppServices {
public:
    RecordingServices() { previous = setAppServices(this); }
    ~RecordingServices() override
    {
        setAppServices(previous);
        for (TTreeNode *n : nodes)
            delete n;
    }

    void appMessage(const std::string &text) override { messages.push_back(text); }
    Answer askYesNoCancel(const std::string &text) override
    {
        questions.push_back(text);
        if (answers.empty())
            return Answer::Cancel;
        const Answer a = answers.front();
        answers.pop_front();
        return a;
    }
    Answer askYesNoCancelCaptioned(const std::string &text, const std::string &caption) override
    {
        captions.push_back(caption);
        return askYesNoCancel(text);
    }
    void beginWorkMessage() override
    {
        ++workMessageDepth;
        ++workMessagesShown;
    }
    void endWorkMessage() override { --workMessageDepth; }
    TTreeNode *addProjectNode(CBasicProject &) override { return newNode(); }
    TTreeNode *addDatabaseNode(CBasicDatabase &) override { return newNode(); }
    void removeTreeNode(TTreeNode *node) override { removedNodes.push_back(node); }
    void setTreeNodeText(TTreeNode *node, const std::string &text) override { node->text = text; }
    void setTreeNodeState(TTreeNode *node, int state) override { node->state = state; }
    void moveTreeNode(TTreeNode *node, TTreeNode *parent) override { node->parent = parent; }
    void addRecentFile(const std::string &fileName) override { recentFiles.push_back(fileName); }
    void showSystemInfoDialog(const void *, unsigned size) override { viewerCalls.push_back("current " + std::to_string(size)); }
    void showOldSystemInfoDialog(const void *, unsigned size) override { viewerCalls.push_back("old " + std::to_string(size)); }

    std::vector<std::string> messages;
    std::vector<std::string> questions;
    // The captions of the questions that had one of their own.
    std::vector<std::string> captions;
    int workMessageDepth = 0;
    int workMessagesShown = 0;
    std::deque<Answer> answers;
    std::vector<std::string> recentFiles;
    std::vector<std::string> viewerCalls;
    std::vector<TTreeNode *> removedNodes;
    std::vector<TTreeNode *> nodes;

private:
    TTreeNode *newNode()
    {
        nodes.push_back(new TTreeNode);
        return nodes.back();
    }
    CAppServices *previous = nullptr;
};
