#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <functional>

class QAction;
class QMenu;

// The recently opened files, newest first, kept in the section
// "Recent File List" ("MaxSize", "File1", "File2", ...) and shown as menu
// items below an anchor item, newest directly under it.
class TRecentFileList : public QObject {
    Q_OBJECT
public:
    using OpenHandler = std::function<void(const QString &path_)>;

    // Program-wide; read when a list loads.
    static int MaxSize;
    static constexpr int defaultMaxSize = 4;
    static constexpr int largestMaxSize = 16;
    // Menu items of the list carry a tag (property "tag") from this number on.
    static constexpr int firstMenuTag = 1024;
    static constexpr const char *tagProperty = "tag";

    // Loads the list; the destructor saves it.
    explicit TRecentFileList(OpenHandler onOpen_ = {}, QObject *parent_ = nullptr);
    ~TRecentFileList() override;

    void AddFile(const QString &path_);
    void AttachMenu(QAction *anchor_);

    int count() const { return static_cast<int>(entries.size()); }
    QString file(int index_) const { return entries.at(index_).path; }
    QStringList files() const;
    // The menu item of an entry, null while no menu is attached.
    QAction *menuItem(int index_) const { return entries.at(index_).item; }

    void Load();
    void Save() const;

private slots:
    void RecentClick();

private:
    struct Entry {
        QString path;
        QPointer<QAction> item;
    };

    QMenu *anchorMenu() const;
    void createMenuItem(int index_);
    static void removeMenuItem(QAction *item_);
    int indexOf(const QString &path_) const;

    QList<Entry> entries;
    QPointer<QAction> anchor;
    OpenHandler onOpen;
};

