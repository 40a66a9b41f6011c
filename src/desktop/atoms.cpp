// SPDX-License-Identifier: GPL-3.0-or-later
#include "atoms.h"

#include <QHash>

namespace qv::atoms {
namespace {

struct Table {
    QHash<QString, int> ids;
    int last = 0xC000; // where the desktop's own string atoms begin
};

Table& table() {
    static Table t;
    return t;
}

} // namespace

int add(const QString& name) {
    Table& t = table();
    const auto it = t.ids.constFind(name);
    if (it != t.ids.cend())
        return it.value();
    const int id = ++t.last;
    t.ids.insert(name, id);
    return id;
}

int find(const QString& name) {
    return table().ids.value(name, 0);
}

void remove(int id) {
    Table& t = table();
    for (auto it = t.ids.begin(); it != t.ids.end(); ++it) {
        if (it.value() == id) {
            t.ids.erase(it);
            return;
        }
    }
}

} // namespace qv::atoms
