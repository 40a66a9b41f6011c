// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "textfile.h"

#include <QComboBox>
#include <QListWidget>

// Rows of the visible title lists and drop-downs: the user sees the decoded
// text, while the row keeps the holder text exactly as it came from the page
// or file. Titles also get their HTML character references decoded; the
// playlist names in drop-downs do not, being the user's own text.
namespace qv::rows {

inline constexpr int kHolderRole = Qt::UserRole;
// A row shows at most this many characters: laying out a page's worth of
// text on every repaint would stall the window.
inline constexpr qsizetype kMaxShown = 256;

// One line of text for a title's row: line breaks become blanks, overlong
// text is cut.
inline QString shown(const QString& holder) {
    QString text = text::displayTitle(holder);
    if (text.size() > kMaxShown)
        text = text.left(kMaxShown) + QChar(0x2026);
    text.replace(QLatin1String("\r\n"), QLatin1String(" "));
    return text.replace(QLatin1Char('\r'), QLatin1Char(' '))
        .replace(QLatin1Char('\n'), QLatin1Char(' '));
}

// A row whose tool tip is its whole text, without storing it twice.
class Row : public QListWidgetItem {
public:
    using QListWidgetItem::QListWidgetItem;
    QVariant data(int role) const override {
        return role == Qt::ToolTipRole ? QVariant(text()) : QListWidgetItem::data(role);
    }
};

inline void append(QListWidget& list, const QString& holder) {
    auto* item = new Row(shown(holder), &list);
    item->setData(kHolderRole, holder);
}

inline QString holder(const QListWidget& list, int row) {
    const QListWidgetItem* item = list.item(row);
    return item ? item->data(kHolderRole).toString() : QString();
}

// The selected row, or -1: the current row counts only while it is selected
// (a Ctrl+click takes the selection away and leaves the current row).
inline int selected(const QListWidget& list) {
    const QListWidgetItem* item = list.currentItem();
    return item && item->isSelected() ? list.currentRow() : -1;
}

// Rows a and b trade places, with their holder texts.
inline void swap(QListWidget& list, int a, int b) {
    QListWidgetItem* x = list.item(a);
    QListWidgetItem* y = list.item(b);
    if (!x || !y)
        return;
    const QString text = x->text();
    const QVariant holder = x->data(kHolderRole);
    x->setText(y->text());
    x->setData(kHolderRole, y->data(kHolderRole));
    y->setText(text);
    y->setData(kHolderRole, holder);
}

// Drop-downs of names show the decoded text and keep the holder text as item data.
inline void setItems(QComboBox& box, const QStringList& holders) {
    box.clear();
    for (const QString& holder : holders)
        box.addItem(text::display(holder), holder);
}

// The holder text behind a drop-down's text: an item's own when the text is
// an item's, otherwise what the user typed.
inline QString holder(const QComboBox& box) {
    const QString shown = box.currentText();
    const int i = box.findText(shown, Qt::MatchExactly | Qt::MatchCaseSensitive);
    return i >= 0 ? box.itemData(i).toString() : text::fromUser(shown);
}

} // namespace qv::rows
