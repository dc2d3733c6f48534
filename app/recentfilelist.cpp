#include "recentfilelist.h"

#include <QAction>
#include <QMenu>

#include "Cp1252.h"
#include "RegistryStore.h"
#include "textutil.h"
#include "settingskeys.h"

int TRecentFileList::MaxSize = TRecentFileList::defaultMaxSize;

namespace {

const QString maxSizeName = QStringLiteral("MaxSize");

QString entryName(int number_)
{
    return QStringLiteral("File") + QString::number(number_);
}

// Temporary files written for submission and conversion never enter the list.
bool isTemporaryFile(const QString &path_)
{
    return sameTextIgnoringCase(extractFileExt(toCp1252(path_)), ".TMP");
}

} // namespace

TRecentFileList::TRecentFileList(OpenHandler onOpen_, QObject *parent_) : QObject(parent_), onOpen(std::move(onOpen_))
{
    Load();
}

TRecentFileList::~TRecentFileList()
{
    Save();
    // Items left behind would look alive but open nothing.
    for (const Entry &entry : std::as_const(entries))
        removeMenuItem(entry.item);
}

QStringList TRecentFileList::files() const
{
    QStringList paths;
    for (const Entry &entry : entries)
        paths.append(entry.path);
    return paths;
}

int TRecentFileList::indexOf(const QString &path_) const
{
    for (int i = 0; i < count(); ++i)
        if (entries[i].path.compare(path_, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

void TRecentFileList::Load()
{
    const RegistryStore store(programKey());
    const QString section = QLatin1String(recentFileSection);
    MaxSize = store.readInteger(section, maxSizeName, defaultMaxSize);
    if (MaxSize < 0 || MaxSize > largestMaxSize)
        MaxSize = defaultMaxSize;
    entries.clear();
    for (int n = 1; n <= MaxSize; ++n) {
        const QString path = store.readString(section, entryName(n));
        // Empty values are gaps, not the end; hand-edited repeats and
        // temporary files are dropped as AddFile would.
        if (path.isEmpty() || isTemporaryFile(path) || indexOf(path) >= 0)
            continue;
        entries.append(Entry{path, nullptr});
    }
}

void TRecentFileList::Save() const
{
    RegistryStore store(programKey());
    const QString section = QLatin1String(recentFileSection);
    store.eraseSection(section);
    store.writeInteger(section, maxSizeName, MaxSize);
    for (int i = 0; i < count(); ++i)
        store.writeString(section, entryName(i + 1), entries[i].path);
}

void TRecentFileList::AddFile(const QString &path_)
{
    if (path_.isEmpty() || isTemporaryFile(path_))
        return;
    const int known = indexOf(path_);
    if (known >= 0) {
        removeMenuItem(entries[known].item);
        entries.removeAt(known);
    }
    entries.prepend(Entry{path_, nullptr});
    if (anchor)
        createMenuItem(0);
    while (count() > MaxSize) {
        removeMenuItem(entries.last().item);
        entries.removeLast();
    }
    // Saved at once, so a crash later in the session loses nothing.
    Save();
}

QMenu *TRecentFileList::anchorMenu() const
{
    if (!anchor)
        return nullptr;
    for (QObject *owner : anchor->associatedObjects())
        if (auto *menu = qobject_cast<QMenu *>(owner))
            return menu;
    return nullptr;
}

void TRecentFileList::createMenuItem(int index_)
{
    QMenu *menu = anchorMenu();
    if (!menu)
        return;
    auto *item = new QAction(menu);
    // No accelerators: an "&" in a path is shown as it is.
    item->setText(QString(entries[index_].path).replace(QLatin1Char('&'), QStringLiteral("&&")));
    item->setData(entries[index_].path);
    item->setProperty(tagProperty, index_ + firstMenuTag);
    connect(item, &QAction::triggered, this, &TRecentFileList::RecentClick);
    const QList<QAction *> items = menu->actions();
    const qsizetype at = items.indexOf(anchor.data());
    menu->insertAction(at + 1 < items.size() ? items[at + 1] : nullptr, item);
    entries[index_].item = item;
}

void TRecentFileList::removeMenuItem(QAction *item_)
{
    if (!item_)
        return;
    for (QObject *owner : item_->associatedObjects())
        if (auto *widget = qobject_cast<QWidget *>(owner))
            widget->removeAction(item_);
    // Later, since the item may be the one whose click is running right now.
    item_->deleteLater();
}

void TRecentFileList::AttachMenu(QAction *anchor_)
{
    for (Entry &entry : entries) {
        removeMenuItem(entry.item);
        entry.item = nullptr;
    }
    anchor = anchor_;
    QMenu *menu = anchorMenu();
    if (!menu)
        return;
    // Items of an earlier attachment stand directly under the anchor.
    for (;;) {
        const QList<QAction *> items = menu->actions();
        const qsizetype at = items.indexOf(anchor_);
        if (at < 0 || at + 1 >= items.size() || items[at + 1]->property(tagProperty).toInt() < firstMenuTag)
            break;
        removeMenuItem(items[at + 1]);
    }
    // Each new item goes directly under the anchor, so the oldest comes
    // first and the newest ends up on top, as the list is ordered.
    for (int i = count() - 1; i >= 0; --i)
        createMenuItem(i);
}

void TRecentFileList::RecentClick()
{
    auto *item = qobject_cast<QAction *>(sender());
    if (!item || !onOpen)
        return;
    const QString path = item->data().toString();
    onOpen(path);
}
