#include "catalog_ops/disc_list.h"

#include <QHeaderView>
#include <QScrollBar>
#include <QStyle>

#include "platform/text.h"
#include "widgets/theme_icons.h"

namespace ov2 {
namespace {

constexpr int kNumberRole = Qt::UserRole;

const QIcon& DiscIcon() {
    static const QIcon icon = ThemeIcon("media-optical", QStyle::SP_DriveCDIcon);
    return icon;
}

}  // namespace

QTreeWidget* NewDiscList(QWidget* parent, std::initializer_list<DiscListColumn> columns) {
    auto* list = new QTreeWidget(parent);
    list->setObjectName(QStringLiteral("listDiscs"));
    list->setRootIsDecorated(false);
    list->setUniformRowHeights(true);
    list->setAllColumnsShowFocus(true);
    list->setIconSize(QSize(16, 16));
    list->setColumnCount(static_cast<int>(columns.size()));
    QStringList captions;
    int width = 0;
    int column = 0;
    for (const DiscListColumn& c : columns) {
        captions << QString::fromLatin1(c.caption);
        list->setColumnWidth(column++, c.width);
        width += c.width;
    }
    list->setHeaderLabels(captions);
    list->header()->setStretchLastSection(true);
    // Room for every column and a vertical scroll bar, so that no column starts out clipped.
    width += 2 * list->frameWidth() + list->style()->pixelMetric(QStyle::PM_ScrollBarExtent) + 4;
    list->setMinimumWidth(width);
    return list;
}

QTreeWidgetItem* NewDiscRow(std::initializer_list<std::string_view> texts,
                            std::string_view number) {
    QStringList decoded;
    for (std::string_view text : texts) decoded << DecodeText(text);
    auto* row = new QTreeWidgetItem(decoded);
    row->setIcon(0, DiscIcon());
    row->setData(0, kNumberRole, ToByteArray(number));
    return row;
}

std::string RowNumber(const QTreeWidgetItem* row) {
    return row->data(0, kNumberRole).toByteArray().toStdString();
}

}  // namespace ov2
