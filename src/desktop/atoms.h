// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// Process-wide named identifiers for the global hotkeys. Adding a name that
// exists returns its identifier again; identifiers are never 0 and never
// reused while the process runs, so a stale one cannot match a new hotkey.
namespace qv::atoms {

int add(const QString& name);
// 0 when the name is not known.
int find(const QString& name);
// Forgets the identifier; an unknown one is ignored.
void remove(int id);

} // namespace qv::atoms
