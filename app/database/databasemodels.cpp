#include "databasemodels.h"

#include <QPainter>
#include <QPixmap>
#include <algorithm>

#include "Cp1252.h"
#include "projectimages.h"
#include "uBasicProject.h"
#include "uTestList.h"

TDatabaseGridModel::TDatabaseGridModel(QObject *parent_) : QAbstractTableModel(parent_) {}

void TDatabaseGridModel::setRows(std::vector<const TTestListItem *> rows_)
{
    beginResetModel();
    rows = std::move(rows_);
    endResetModel();
}

const TTestListItem *TDatabaseGridModel::rowItem(int row_) const
{
    return row_ >= 0 && row_ < static_cast<int>(rows.size()) ? rows[static_cast<std::size_t>(row_)] : nullptr;
}

int TDatabaseGridModel::rowOfKind(int kind_) const
{
    for (std::size_t i = 0; i < rows.size(); ++i)
        if (rows[i]->kind == kind_)
            return static_cast<int>(i);
    return -1;
}

CBasicProject *TDatabaseGridModel::project(int column_) const
{
    return column_ >= 0 && column_ < static_cast<int>(columns.size()) ? columns[static_cast<std::size_t>(column_)] : nullptr;
}

int TDatabaseGridModel::columnOf(const CBasicProject *project_) const
{
    if (!project_)
        return -1;
    auto it = std::find(columns.begin(), columns.end(), project_);
    return it == columns.end() ? -1 : static_cast<int>(it - columns.begin());
}

void TDatabaseGridModel::setProjects(const std::vector<CBasicProject *> &projects_)
{
    const int before = static_cast<int>(columns.size());
    const int after = static_cast<int>(projects_.size());
    if (after < before) {
        beginRemoveColumns(QModelIndex(), after, before - 1);
        columns.resize(static_cast<std::size_t>(after));
        endRemoveColumns();
    }
    bool differs = false;
    for (int c = 0; c < std::min(before, after); ++c)
        if (columns[static_cast<std::size_t>(c)] != projects_[static_cast<std::size_t>(c)]) {
            columns[static_cast<std::size_t>(c)] = projects_[static_cast<std::size_t>(c)];
            differs = true;
        }
    if (after > before) {
        beginInsertColumns(QModelIndex(), before, after - 1);
        columns.insert(columns.end(), projects_.begin() + before, projects_.end());
        endInsertColumns();
    }
    // Values change without the columns changing (statistics, settings).
    (void)differs;
    if (!columns.empty() && !rows.empty())
        emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
    if (!columns.empty())
        emit headerDataChanged(Qt::Horizontal, 0, columnCount() - 1);
}

bool TDatabaseGridModel::forgetProject(const CBasicProject *project_)
{
    const int column = columnOf(project_);
    if (column < 0)
        return false;
    columns[static_cast<std::size_t>(column)] = nullptr;
    refreshColumn(column);
    return true;
}

void TDatabaseGridModel::refreshColumn(int column_)
{
    if (column_ < 0 || column_ >= columnCount())
        return;
    if (!rows.empty())
        emit dataChanged(index(0, column_), index(rowCount() - 1, column_));
    emit headerDataChanged(Qt::Horizontal, column_, column_);
}

int TDatabaseGridModel::rowCount(const QModelIndex &parent_) const
{
    return parent_.isValid() ? 0 : static_cast<int>(rows.size());
}

int TDatabaseGridModel::columnCount(const QModelIndex &parent_) const
{
    return parent_.isValid() ? 0 : static_cast<int>(columns.size());
}

QString TDatabaseGridModel::cellText(const TTestListItem *item_, CBasicProject *project_) const
{
    if (!item_ || !project_)
        return QString();
    return fromCp1252(TTestList::getItemValueText(item_, project_));
}

TValueMark TDatabaseGridModel::valueMark(const TTestListItem *item_, CBasicProject *project_)
{
    if (!item_ || !project_ || item_->kind != tkTest)
        return vmNone;
    const TTestValue *value = project_->getTestValue(item_->row.id);
    if (!value)
        return vmNone;
    if (value->isLowest())
        return vmLowest;
    return value->isHighest() ? vmHighest : vmNone;
}

QVariant TDatabaseGridModel::data(const QModelIndex &index_, int role_) const
{
    if (!checkIndex(index_, CheckIndexOption::IndexIsValid))
        return QVariant();
    const TTestListItem *item = rowItem(index_.row());
    CBasicProject *p = project(index_.column());
    switch (role_) {
    case Qt::DisplayRole:
        return cellText(item, p);
    case Qt::ToolTipRole:
        switch (valueMark(item, p)) {
        case vmLowest: return QStringLiteral("Lowest Score");
        case vmHighest: return QStringLiteral("Highest Score");
        case vmNone: break;
        }
        return QVariant();
    case ProjectRole:
        return QVariant::fromValue(static_cast<void *>(p));
    case KindRole:
        return item ? item->kind : -1;
    case MarkRole:
        return static_cast<int>(valueMark(item, p));
    default:
        return QVariant();
    }
}

QVariant TDatabaseGridModel::headerData(int section_, Qt::Orientation orientation_, int role_) const
{
    if (orientation_ == Qt::Horizontal) {
        if (section_ < 0 || section_ >= columnCount())
            return QVariant();
        CBasicProject *p = project(section_);
        if (role_ == Qt::DisplayRole)
            return p ? fromCp1252(p->getName()) : QString();
        if (role_ == ProjectRole)
            return QVariant::fromValue(static_cast<void *>(p));
        return QVariant();
    }
    const TTestListItem *item = rowItem(section_);
    if (!item)
        return QVariant();
    if (role_ == Qt::DisplayRole)
        return fromCp1252(TTestList::getItemCaption(item, 0));
    if (role_ == Qt::ToolTipRole)
        return QStringLiteral("Double click to sort the graphs according to this test");
    if (role_ == KindRole)
        return item->kind;
    return QVariant();
}

TProjectListModel::TProjectListModel(QObject *parent_) : QAbstractTableModel(parent_) {}

CBasicProject *TProjectListModel::project(int row_) const
{
    return row_ >= 0 && row_ < static_cast<int>(list.size()) ? list[static_cast<std::size_t>(row_)].project : nullptr;
}

int TProjectListModel::rowOf(const CBasicProject *project_) const
{
    if (!project_)
        return -1;
    for (std::size_t i = 0; i < list.size(); ++i)
        if (list[i].project == project_)
            return static_cast<int>(i);
    return -1;
}

std::vector<CBasicProject *> TProjectListModel::projects() const
{
    std::vector<CBasicProject *> out;
    out.reserve(list.size());
    for (const Row &r : list)
        out.push_back(r.project);
    return out;
}

TProjectListModel::Row TProjectListModel::fill(CBasicProject *project_)
{
    Row row;
    row.project = project_;
    if (!project_) {
        row.texts = QStringList(ColumnCount, QString());
        return row;
    }
    row.image = project_->isHidden() ? 1 : 0;
    row.texts << fromCp1252(project_->getName()) << fromCp1252(project_->getRenderingPlatform())
              << fromCp1252(project_->getResolutionText()) << fromCp1252(project_->getColorDepthText(false))
              << fromCp1252(project_->getFrameBufferText(true)) << fromCp1252(project_->getRenderingPipeline())
              << QString();
    return row;
}

void TProjectListModel::setProjects(const std::vector<CBasicProject *> &projects_)
{
    const int before = static_cast<int>(list.size());
    const int after = static_cast<int>(projects_.size());
    if (after < before) {
        beginRemoveRows(QModelIndex(), after, before - 1);
        list.resize(static_cast<std::size_t>(after));
        endRemoveRows();
    }
    const int kept = std::min(before, after);
    for (int i = 0; i < kept; ++i) {
        Row row = fill(projects_[static_cast<std::size_t>(i)]);
        Row &old = list[static_cast<std::size_t>(i)];
        if (row.project != old.project || row.texts != old.texts || row.image != old.image) {
            old = std::move(row);
            emit dataChanged(index(i, 0), index(i, ColumnCount - 1));
        }
    }
    if (after > before) {
        beginInsertRows(QModelIndex(), before, after - 1);
        for (int i = before; i < after; ++i)
            list.push_back(fill(projects_[static_cast<std::size_t>(i)]));
        endInsertRows();
    }
}

void TProjectListModel::refreshRow(int row_)
{
    if (row_ < 0 || row_ >= rowCount())
        return;
    Row &row = list[static_cast<std::size_t>(row_)];
    row = fill(row.project);
    emit dataChanged(index(row_, 0), index(row_, ColumnCount - 1));
}

bool TProjectListModel::forgetProject(const CBasicProject *project_)
{
    const int row = rowOf(project_);
    if (row < 0)
        return false;
    beginRemoveRows(QModelIndex(), row, row);
    list.erase(list.begin() + row);
    endRemoveRows();
    return true;
}

void TProjectListModel::sortWith(const std::function<bool(const Row &, const Row &)> &less_)
{
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList before = persistentIndexList();
    std::vector<CBasicProject *> projectsBefore;
    for (const QModelIndex &i : before)
        projectsBefore.push_back(project(i.row()));
    std::stable_sort(list.begin(), list.end(), less_);
    QModelIndexList after;
    for (int i = 0; i < before.size(); ++i)
        after << index(rowOf(projectsBefore[static_cast<std::size_t>(i)]), before[i].column());
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

int TProjectListModel::rowCount(const QModelIndex &parent_) const
{
    return parent_.isValid() ? 0 : static_cast<int>(list.size());
}

int TProjectListModel::columnCount(const QModelIndex &parent_) const
{
    return parent_.isValid() ? 0 : ColumnCount;
}

QIcon TProjectListModel::image(int index_)
{
    // 0 a shown project, 1 a hidden one.
    static const QIcon images[2] = {
        [] {
            QPixmap pixmap(32, 32);
            pixmap.fill(Qt::transparent);
            QPainter p(&pixmap);
            p.setPen(QColor(0x10, 0x42, 0x8C));
            p.setBrush(QColor(0xC8, 0xE4, 0xFA));
            p.drawRect(3, 5, 25, 21);
            p.fillRect(6, 9, 19, 3, QColor(0x10, 0x42, 0x8C));
            return QIcon(pixmap);
        }(),
        [] {
            QPixmap pixmap(32, 32);
            pixmap.fill(Qt::transparent);
            QPainter p(&pixmap);
            p.setPen(QPen(QColor(0x80, 0x80, 0x80), 1, Qt::DashLine));
            p.setBrush(Qt::NoBrush);
            p.drawRect(3, 5, 25, 21);
            return QIcon(pixmap);
        }(),
    };
    return images[index_ == 1 ? 1 : 0];
}

QVariant TProjectListModel::data(const QModelIndex &index_, int role_) const
{
    if (!checkIndex(index_, CheckIndexOption::IndexIsValid))
        return QVariant();
    const Row &row = list[static_cast<std::size_t>(index_.row())];
    switch (role_) {
    case Qt::DisplayRole:
        return row.texts.value(index_.column());
    case Qt::DecorationRole:
        return index_.column() == 0 && row.project ? QVariant(image(row.image)) : QVariant();
    case ProjectRole:
        return QVariant::fromValue(static_cast<void *>(row.project));
    case ImageIndexRole:
        return row.image;
    default:
        return QVariant();
    }
}

QVariant TProjectListModel::headerData(int section_, Qt::Orientation orientation_, int role_) const
{
    static const char *const titles[ColumnCount] = {"Project Name", "Rendering Platform", "Resolution", "Color Depth",
                                                    "Buffering",    "Rendering Pipeline", "Date"};
    if (orientation_ != Qt::Horizontal || role_ != Qt::DisplayRole || section_ < 0 || section_ >= ColumnCount)
        return QAbstractTableModel::headerData(section_, orientation_, role_);
    return QString::fromLatin1(titles[section_]);
}

Qt::ItemFlags TProjectListModel::flags(const QModelIndex &index_) const
{
    if (!index_.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled | Qt::ItemNeverHasChildren;
}

TImageGridModel::TImageGridModel(QObject *parent_) : QAbstractTableModel(parent_) {}

void TImageGridModel::setSettingRows(std::vector<const TTestListItem *> rows_)
{
    settings = std::move(rows_);
    if (rowCount() > 0 && columnCount() > 0)
        emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
}

const TTestListItem *TImageGridModel::settingItem(int gridRow_) const
{
    const int i = gridRow_ - 1;
    return i >= 0 && i < static_cast<int>(settings.size()) && gridRow_ < firstPictureRow
               ? settings[static_cast<std::size_t>(i)]
               : nullptr;
}

int TImageGridModel::pictureTableRow(int gridRow_)
{
    const int i = gridRow_ - firstPictureRow;
    return i >= 0 && i < static_cast<int>(testImageRows) ? i : -1;
}

int TImageGridModel::gridRowCount()
{
    // The header, five settings, the picture tests and one empty row.
    return static_cast<int>(testImageRows) + 7;
}

CBasicProject *TImageGridModel::project(int gridColumn_) const
{
    const int i = gridColumn_ - 2;
    return i >= 0 && i < static_cast<int>(columns.size()) ? columns[static_cast<std::size_t>(i)] : nullptr;
}

void TImageGridModel::setProjects(const std::vector<CBasicProject *> &projects_)
{
    if (projects_ == columns)
        return;
    beginResetModel();
    columns = projects_;
    endResetModel();
}

bool TImageGridModel::forgetProject(const CBasicProject *project_)
{
    if (!project_)
        return false;
    auto it = std::find(columns.begin(), columns.end(), project_);
    if (it == columns.end())
        return false;
    *it = nullptr;
    const int column = static_cast<int>(it - columns.begin()) + 1;
    emit dataChanged(index(0, column), index(rowCount() - 1, column));
    emit headerDataChanged(Qt::Horizontal, column, column);
    return true;
}

int TImageGridModel::refreshProject(const CBasicProject *project_)
{
    auto it = project_ ? std::find(columns.begin(), columns.end(), project_) : columns.end();
    if (it == columns.end())
        return -1;
    const int column = static_cast<int>(it - columns.begin()) + 1;
    emit headerDataChanged(Qt::Horizontal, column, column);
    return column;
}

int TImageGridModel::rowCount(const QModelIndex &parent_) const
{
    return parent_.isValid() ? 0 : gridRowCount() - 1;
}

int TImageGridModel::columnCount(const QModelIndex &parent_) const
{
    return parent_.isValid() ? 0 : static_cast<int>(columns.size()) + 1;
}

// The grid draws its cells itself; the model gives only the hint of a
// picture cell (model row r is grid row r + 1).
QVariant TImageGridModel::data(const QModelIndex &index_, int role_) const
{
    if (role_ == Qt::ToolTipRole && checkIndex(index_, CheckIndexOption::IndexIsValid) &&
        pictureTableRow(index_.row() + 1) >= 0)
        return QStringLiteral("Double click to View Image");
    return QVariant();
}
