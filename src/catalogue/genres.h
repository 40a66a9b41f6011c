// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

// The search options of the left column and how they become the addresses of
// the portal's list pages. Box texts match exactly and case-sensitively.
namespace qv::catalogue {

struct Genre {
    QString name;
    int list; // the portal's list number; 0 when the portal has no list for it
};

// The 31 genres in the order both genre lists offer them.
const std::vector<Genre>& genres();
QStringList genreNames();
// The list number of a genre name; nothing for "Pop", "Ska" and unknown names.
std::optional<int> listNumber(const QString& genre);

// "/score", "/title", "/date" for the three sort orders; empty for any other text.
QString sortSuffix(const QString& sortOrder);

struct ResultPages {
    int pages; // consecutive list pages of 50 songs
    int step;  // progress added per page
};
// For "50", "100", "150" and "200"; nothing for any other text.
std::optional<ResultPages> resultPages(const QString& results);

// The start page field as an integer: an optional sign and decimal digits
// that fit into 32 bits. Nothing for any other text.
std::optional<int> startPage(const QString& text);
// The error shown when the start page is not an integer.
QString notAnIntegerText(const QString& text);

// "BASE/audio/list/N".
QString listAddress(const QString& portalBase, int list);
// "LIST/PAGE" followed by the sort order's suffix; any page number is used as it is.
QString pageAddress(const QString& listAddress, qint64 page, const QString& suffix);

// What the start page check says about a text, in the order it says it.
QStringList startPageMessages(const QString& text);

} // namespace qv::catalogue
