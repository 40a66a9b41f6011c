#pragma once

#include "textfile.h"

#include <QListWidget>

// Rows of the visible title lists: the user sees the decoded text, while the
// row keeps the holder text exactly as it came from the page or file.
namespace qv::rows {

inline constexpr int kHolderRole = Qt::UserRole;

inline void append(QListWidget& list, const QString& holder) {
    auto* item = new QListWidgetItem(text::display(holder), &list);
    item->setData(kHolderRole, holder);
}

inline QString holder(const QListWidget& list, int row) {
    const QListWidgetItem* item = list.item(row);
    return item ? item->data(kHolderRole).toString() : QString();
}

} // namespace qv::rows
