#include "resources/DialogTemplate.h"

#include <QComboBox>
#include <QDialog>
#include <QFontMetrics>
#include <QFrame>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTreeView>

#include <algorithm>

namespace {

// A report-style list of rows. Selecting all makes one range of the selection, not a range per
// row as a tree view does, which a table of a hundred thousand rows would wait for.
class ReportListView : public QTreeView
{
public:
    using QTreeView::QTreeView;

    // Rows that arrive below the visible part keep the newest row in view, unless the user
    // has scrolled away from the end; scrolled back to the end, the view follows again.
    void setModel(QAbstractItemModel *rows) override
    {
        QTreeView::setModel(rows);
        if (rows != nullptr)
            connect(rows, &QAbstractItemModel::rowsAboutToBeInserted, this, [this] {
                m_followEnd = verticalScrollBar()->value() >= verticalScrollBar()->maximum();
            });
    }

    void selectAll() override
    {
        const QAbstractItemModel *rows = model();
        if (rows == nullptr || selectionModel() == nullptr || selectionMode() == SingleSelection ||
            selectionMode() == NoSelection)
            return;
        const int last = rows->rowCount(rootIndex()) - 1;
        const int lastColumn = rows->columnCount(rootIndex()) - 1;
        if (last < 0 || lastColumn < 0)
            return;
        selectionModel()->select(QItemSelection(rows->index(0, 0, rootIndex()),
                                                rows->index(last, lastColumn, rootIndex())),
                                 QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    }

protected:
    // The context menu acts on the selection as it stands: a right click leaves it alone.
    void mousePressEvent(QMouseEvent *event) override
    {
        if (event->button() == Qt::RightButton) {
            event->accept();
            return;
        }
        QTreeView::mousePressEvent(event);
    }

    void rowsInserted(const QModelIndex &parent, int start, int end) override
    {
        QTreeView::rowsInserted(parent, start, end);
        if (m_followEnd)
            scrollToBottom();
    }

private:
    bool m_followEnd = true;
};

QWidget *createWidget(const ControlTemplate &control, QWidget *parent)
{
    const QString text = QString::fromUtf8(control.text);
    switch (control.kind) {
    case ControlKind::Static:
        return new QLabel(text, parent);
    case ControlKind::ComboBox:
        return new QComboBox(parent);
    case ControlKind::PushButton: {
        auto *button = new QPushButton(text, parent);
        // The dialogs close or act only on a click, never on Enter.
        button->setAutoDefault(false);
        return button;
    }
    case ControlKind::GroupBox:
        return new QGroupBox(text, parent);
    case ControlKind::RadioButton:
        return new QRadioButton(text, parent);
    case ControlKind::Edit:
        return new QLineEdit(text, parent);
    case ControlKind::ProgressBar: {
        auto *progress = new QProgressBar(parent);
        progress->setTextVisible(false);
        return progress;
    }
    case ControlKind::ListView: {
        auto *list = new ReportListView(parent);
        list->setRootIsDecorated(false);
        list->setUniformRowHeights(true);
        list->setItemsExpandable(false);
        return list;
    }
    case ControlKind::Icon:
        return new QLabel(parent);
    case ControlKind::EtchedLine: {
        auto *line = new QFrame(parent);
        line->setFrameShape(QFrame::HLine);
        line->setFrameShadow(QFrame::Sunken);
        return line;
    }
    }
    return nullptr;
}

} // namespace

DialogBaseUnits DialogBaseUnits::of(const QFont &font)
{
    static const QString alphabet =
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    const QFontMetrics metrics(font);
    const int width = (metrics.horizontalAdvance(alphabet) / 26 + 1) / 2;
    return {width, metrics.height()};
}

QRect DialogBaseUnits::toPixels(const QRect &dialogUnits) const
{
    return {dialogUnits.x() * width / 4, dialogUnits.y() * height / 8,
            dialogUnits.width() * width / 4, dialogUnits.height() * height / 8};
}

QSize DialogBaseUnits::toPixels(const QSize &dialogUnits) const
{
    return {dialogUnits.width() * width / 4, dialogUnits.height() * height / 8};
}

std::vector<BuiltControl> BuildDialog(const DialogTemplate &dialogTemplate, QDialog &dialog)
{
    const DialogBaseUnits units = DialogBaseUnits::of(dialog.font());
    dialog.setWindowTitle(QString::fromUtf8(dialogTemplate.caption));
    dialog.resize(units.toPixels(dialogTemplate.dialogUnits));

    std::vector<BuiltControl> built;
    built.reserve(dialogTemplate.controls.size());
    QWidget *previous = nullptr;
    for (const ControlTemplate &control : dialogTemplate.controls) {
        QWidget *widget = createWidget(control, &dialog);
        widget->setProperty("controlId", control.id);
        QRect place = units.toPixels(control.dialogUnits);
        // A combo box's template height includes its drop-down list.
        if (control.kind == ControlKind::ComboBox)
            place.setHeight(widget->sizeHint().height());
        // Desktop fonts run wider than the one the layout was drawn for: a label or a radio
        // button grows to its text rather than cutting it.
        if (control.kind == ControlKind::Static || control.kind == ControlKind::RadioButton)
            place.setWidth(std::max(place.width(), widget->sizeHint().width()));
        widget->setGeometry(place);
        if (previous != nullptr && widget->focusPolicy() != Qt::NoFocus)
            QWidget::setTabOrder(previous, widget);
        if (widget->focusPolicy() != Qt::NoFocus)
            previous = widget;
        built.push_back({&control, widget});
    }
    // Group boxes are drawn behind the controls placed on them.
    for (const BuiltControl &control : built)
        if (control.control->kind == ControlKind::GroupBox)
            control.widget->lower();
    return built;
}

QWidget *FindControl(const std::vector<BuiltControl> &controls, int id)
{
    for (const BuiltControl &control : controls)
        if (control.control->id == id)
            return control.widget;
    return nullptr;
}
