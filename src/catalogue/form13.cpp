// SPDX-License-Identifier: GPL-3.0-or-later
#include "form13.h"

#include "form1.h"
#include "genres.h"
#include "windowing.h"

namespace qv {

Form13::Form13(Form1& form1) : LazyWindow(nullptr, windowing::genreListFlags()), form1_(form1) {
    setFixedSize(137, 435);
    setFont(form1.font()); // a window of its own does not inherit the main window's font
    // There it is a popup, and only "OK", the main window's background and
    // "more..." close it.
    if (windowing::desktopPlacesWindows())
        kept = new windowing::KeptPopup(*this, form1, [&form1] { return form1.ending(); });
}

void Form13::build() {
    CheckListBox1 = new QListWidget(this);
    sBitBtn1 = new QPushButton(QStringLiteral("OK"), this);
    CheckListBox1->setGeometry(0, 0, 137, 410);
    CheckListBox1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    CheckListBox1->setAccessibleName(QStringLiteral("Genres"));
    for (const QString& genre : catalogue::genreNames()) {
        auto* item = new QListWidgetItem(genre, CheckListBox1);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
    }
    sBitBtn1->setGeometry(0, 410, 138, 28);
    connect(sBitBtn1, &QPushButton::clicked, this, &Form13::sBitBtn1Click);
}

void Form13::sBitBtn1Click() {
    hide();
    form1_.setEnabled(true);
}

QStringList Form13::checkedGenres() const {
    QStringList checked;
    for (int i = 0; i < CheckListBox1->count(); ++i) {
        const QListWidgetItem* item = CheckListBox1->item(i);
        if (item->checkState() == Qt::Checked)
            checked << item->text();
    }
    return checked;
}

} // namespace qv
