#pragma once

#include <QIcon>
#include <QList>
#include <QTreeWidget>
#include <functional>

class TListView3;

// Called after an item was ticked (checked true) or unticked.
using TLVCheckItemEvent =
    std::function<void(TListView3* sender, QTreeWidgetItem* item, bool checked)>;

// A list view in report style whose items the user ticks with the mouse or the space bar. The
// tick is the item's image index, not a check box of the view: 1 is ticked, anything else is not,
// and the pictures come from the form's image list (picture 0 an empty box, 1 a ticked box). By
// default one item at a time can be ticked, like a group of radio buttons.
class TListView3 : public QTreeWidget {
    Q_OBJECT
public:
    explicit TListView3(QWidget* parent = nullptr);

    // The view's own check boxes never show.
    bool Checkboxes() const { return false; }
    bool Checkboxes2 = true;          // mouse and space bar tick items
    bool MultiCheck = false;          // several items may be ticked
    bool CheckboxesReadOnly = false;  // ticking and unticking do nothing
    TLVCheckItemEvent OnCheckItem;

    // Lines between the cells, as the report style shows them.
    void SetGridLines(bool on);
    bool GridLines() const { return FGridLines != nullptr; }

    // The pictures that image indexes name; an index without a picture shows none.
    void SetSmallImages(const QList<QIcon>& images);

    // Adds an item: the caption in the first column, the sub-item texts in the next ones.
    QTreeWidgetItem* AddItem(const QString& caption, const QStringList& subItems, int imageIndex,
                             void* data = nullptr);
    static int ImageIndex(const QTreeWidgetItem* item);
    void SetImageIndex(QTreeWidgetItem* item, int imageIndex);
    static void* Data(const QTreeWidgetItem* item);

    int CheckedIndex() const;
    int CheckedCount() const;
    QTreeWidgetItem* CheckedItem() const;
    void CheckItem(int index);
    void UncheckItem(int index);

signals:
    // The usual mouse-down event; a press on no item while ticking is on does not raise it.
    void MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPoint pos);

protected:
    virtual void DoCheckItem(QTreeWidgetItem* item, bool checked);
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    // Ticks or unticks the item under a press; false when there is none.
    bool TickAt(QPoint pos);
    void ToggleSingle(int index);
    QTreeWidgetItem* SelectedItem() const;

    QList<QIcon> FImages;
    QAbstractItemDelegate* FGridLines = nullptr;
};
