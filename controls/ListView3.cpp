#include "controls/ListView3.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyledItemDelegate>

namespace {

constexpr int ImageIndexRole = Qt::UserRole + 1;
constexpr int DataRole = Qt::UserRole + 2;

// Draws each cell as the style does, selection included, then its grid lines on the right and at
// the bottom. The lines are painted here rather than by a style sheet: a style sheet on the items
// takes their drawing over from the style and loses the selected row's text colours.
class TGridLineDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        QStyledItemDelegate::paint(painter, option, index);
        painter->save();
        painter->setPen(QColor(0xd8, 0xd8, 0xd8));
        const QRect cell = option.rect;
        painter->drawLine(cell.topRight(), cell.bottomRight());
        painter->drawLine(cell.bottomLeft(), cell.bottomRight());
        painter->restore();
    }
};

}  // namespace

void TListView3::SetGridLines(bool on) {
    if (on == GridLines())
        return;
    QAbstractItemDelegate* old = itemDelegate();
    FGridLines = on ? new TGridLineDelegate(this) : nullptr;
    setItemDelegate(on ? FGridLines : new QStyledItemDelegate(this));
    if (old && old->parent() == this)
        old->deleteLater();
}

TListView3::TListView3(QWidget* parent) : QTreeWidget(parent) {
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
}

void TListView3::SetSmallImages(const QList<QIcon>& images) {
    FImages = images;
    if (!images.isEmpty())
        setIconSize(images.first().availableSizes().value(0, QSize(16, 16)));
    for (int i = 0; i < topLevelItemCount(); ++i)
        SetImageIndex(topLevelItem(i), ImageIndex(topLevelItem(i)));
}

QTreeWidgetItem* TListView3::AddItem(const QString& caption, const QStringList& subItems,
                                     int imageIndex, void* data) {
    auto* item = new QTreeWidgetItem(QStringList{caption} + subItems);
    item->setData(0, DataRole, QVariant::fromValue(data));
    addTopLevelItem(item);
    SetImageIndex(item, imageIndex);
    return item;
}

int TListView3::ImageIndex(const QTreeWidgetItem* item) {
    return item->data(0, ImageIndexRole).toInt();
}

void TListView3::SetImageIndex(QTreeWidgetItem* item, int imageIndex) {
    item->setData(0, ImageIndexRole, imageIndex);
    item->setIcon(0, FImages.value(imageIndex));
}

void* TListView3::Data(const QTreeWidgetItem* item) {
    return item->data(0, DataRole).value<void*>();
}

int TListView3::CheckedIndex() const {
    for (int i = 0; i < topLevelItemCount(); ++i) {
        if (ImageIndex(topLevelItem(i)) == 1)
            return i;
    }
    return -1;
}

int TListView3::CheckedCount() const {
    int count = 0;
    for (int i = 0; i < topLevelItemCount(); ++i)
        count += ImageIndex(topLevelItem(i)) == 1 ? 1 : 0;
    return count;
}

QTreeWidgetItem* TListView3::CheckedItem() const {
    const int index = CheckedIndex();
    return index >= 0 ? topLevelItem(index) : nullptr;
}

void TListView3::CheckItem(int index) {
    if (CheckboxesReadOnly)
        return;
    QTreeWidgetItem* item = topLevelItem(index);
    SetImageIndex(item, 1);
    DoCheckItem(item, true);
}

void TListView3::UncheckItem(int index) {
    if (CheckboxesReadOnly)
        return;
    QTreeWidgetItem* item = topLevelItem(index);
    SetImageIndex(item, 0);
    DoCheckItem(item, false);
}

void TListView3::DoCheckItem(QTreeWidgetItem* item, bool checked) {
    if (OnCheckItem)
        OnCheckItem(this, item, checked);
}

QTreeWidgetItem* TListView3::SelectedItem() const {
    for (int i = 0; i < topLevelItemCount(); ++i) {
        if (topLevelItem(i)->isSelected())
            return topLevelItem(i);
    }
    return nullptr;
}

void TListView3::keyPressEvent(QKeyEvent* event) {
    QTreeWidgetItem* selected = SelectedItem();
    if (event->key() == Qt::Key_Space && Checkboxes2 && selected) {
        const int index = indexOfTopLevelItem(selected);
        if (MultiCheck) {
            if (ImageIndex(selected) == 0)
                CheckItem(index);
            else
                UncheckItem(index);
        } else {
            const int checked = CheckedIndex();
            if (checked == index) {
                UncheckItem(checked);
            } else {
                if (checked >= 0)
                    UncheckItem(checked);
                CheckItem(index);
            }
        }
    }
    QTreeWidget::keyPressEvent(event);
}

void TListView3::ToggleSingle(int index) {
    const int checked = CheckedIndex();
    if (checked >= 0 && checked != index)
        UncheckItem(checked);
    if (ImageIndex(topLevelItem(index)) == 1)
        UncheckItem(index);
    else
        CheckItem(index);
}

bool TListView3::TickAt(QPoint pos) {
    QTreeWidgetItem* item = itemAt(pos);
    if (!item)
        return false;
    const int index = indexOfTopLevelItem(item);
    if (!MultiCheck)
        ToggleSingle(index);
    else if (ImageIndex(item) == 0)
        CheckItem(index);
    else
        UncheckItem(index);
    return true;
}

void TListView3::mousePressEvent(QMouseEvent* event) {
    if (Checkboxes2 && !TickAt(event->position().toPoint()))
        return;
    emit MouseDown(event->button(), event->modifiers(), event->position().toPoint());
    QTreeWidget::mousePressEvent(event);
}

// The second press of a double click comes here instead of mousePressEvent; it ticks as every
// press does.
void TListView3::mouseDoubleClickEvent(QMouseEvent* event) {
    if (Checkboxes2 && !TickAt(event->position().toPoint()))
        return;
    emit MouseDown(event->button(), event->modifiers(), event->position().toPoint());
    QTreeWidget::mouseDoubleClickEvent(event);
}
