#pragma once

#include <QAbstractTableModel>
#include <QIcon>
#include <QStringList>
#include <functional>
#include <vector>

class CBasicProject;
struct TTestListItem;

// Marks of a test value among the database's projects.
enum TValueMark { vmNone = 0, vmLowest = 1, vmHighest = 2 };

// The Details grid over a database: one row per shown catalogue item, one
// column per project position. A column holds its project until told
// otherwise; a project that goes is let go of at once (forgetProject), so
// nothing here reads it again.
class TDatabaseGridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Role { ProjectRole = Qt::UserRole + 1, KindRole, MarkRole };

    explicit TDatabaseGridModel(QObject *parent_ = nullptr);

    void setRows(std::vector<const TTestListItem *> rows_);
    const TTestListItem *rowItem(int row_) const;
    int rowOfKind(int kind_) const;

    CBasicProject *project(int column_) const;
    int columnOf(const CBasicProject *project_) const;
    const std::vector<CBasicProject *> &projects() const { return columns; }
    // The columns become these, added or taken at the end.
    void setProjects(const std::vector<CBasicProject *> &projects_);
    // Empties the project's column; true when it had one.
    bool forgetProject(const CBasicProject *project_);
    void refreshColumn(int column_);

    int rowCount(const QModelIndex &parent_ = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent_ = QModelIndex()) const override;
    QVariant data(const QModelIndex &index_, int role_ = Qt::DisplayRole) const override;
    QVariant headerData(int section_, Qt::Orientation orientation_, int role_ = Qt::DisplayRole) const override;

    // The text of a cell, and the mark of its value.
    QString cellText(const TTestListItem *item_, CBasicProject *project_) const;
    static TValueMark valueMark(const TTestListItem *item_, CBasicProject *project_);

private:
    std::vector<const TTestListItem *> rows;
    std::vector<CBasicProject *> columns;
};

// The Image Quality grid: grid column 1 is the reference column, column
// i + 2 the project at position i; grid rows 1 to 5 the settings, then one
// row per picture test and a last empty row. The cells are painted by the
// window; the model only counts and holds the projects.
class TImageGridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    static constexpr int firstPictureRow = 6;

    explicit TImageGridModel(QObject *parent_ = nullptr);

    // Setting rows' items, grid rows 1 to 5.
    void setSettingRows(std::vector<const TTestListItem *> rows_);
    const TTestListItem *settingItem(int gridRow_) const;
    // The reference-table row of a picture row; -1 for any other row (the
    // last row among them: it has no picture test).
    static int pictureTableRow(int gridRow_);
    static int gridRowCount();

    // Null for the reference column and for columns past the projects.
    CBasicProject *project(int gridColumn_) const;
    const std::vector<CBasicProject *> &projects() const { return columns; }
    void setProjects(const std::vector<CBasicProject *> &projects_);
    bool forgetProject(const CBasicProject *project_);
    // The project's header is drawn again (after a rename); the header
    // section of its column, -1 when it has none.
    int refreshProject(const CBasicProject *project_);

    int rowCount(const QModelIndex &parent_ = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent_ = QModelIndex()) const override;
    QVariant data(const QModelIndex &index_, int role_ = Qt::DisplayRole) const override;

private:
    std::vector<const TTestListItem *> settings;
    std::vector<CBasicProject *> columns;
};

// The Projects tab: one row per project in position order; the texts are
// taken when a row is filled, as a list item keeps its captions.
class TProjectListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Role { ProjectRole = Qt::UserRole + 1, ImageIndexRole };
    enum { ColumnCount = 7 };

    explicit TProjectListModel(QObject *parent_ = nullptr);

    CBasicProject *project(int row_) const;
    int rowOf(const CBasicProject *project_) const;
    std::vector<CBasicProject *> projects() const;
    // Refills: rows beyond the count go, the others are reused.
    void setProjects(const std::vector<CBasicProject *> &projects_);
    // Takes the project's texts again.
    void refreshRow(int row_);
    bool forgetProject(const CBasicProject *project_);
    // Reorders the rows by the comparison (negative: first before second).
    template <class Compare>
    void sortRows(Compare compare_);

    int rowCount(const QModelIndex &parent_ = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent_ = QModelIndex()) const override;
    QVariant data(const QModelIndex &index_, int role_ = Qt::DisplayRole) const override;
    QVariant headerData(int section_, Qt::Orientation orientation_, int role_ = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index_) const override;
    Qt::DropActions supportedDragActions() const override { return Qt::MoveAction | Qt::CopyAction; }

    static QIcon image(int index_);

private:
    struct Row {
        CBasicProject *project = nullptr;
        QStringList texts;
        int image = 0;
    };
    static Row fill(CBasicProject *project_);
    void sortWith(const std::function<bool(const Row &, const Row &)> &less_);

    std::vector<Row> list;
};

template <class Compare>
void TProjectListModel::sortRows(Compare compare_)
{
    sortWith([&](const Row &a_, const Row &b_) { return compare_(a_.project, b_.project) < 0; });
}
