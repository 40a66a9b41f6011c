// SPDX-License-Identifier: GPL-3.0-or-later
#include "genres.h"

#include "integers.h"

#include <algorithm>

namespace qv::catalogue {

const std::vector<Genre>& genres() {
    static const std::vector<Genre> table = {
        {QStringLiteral("Ambient"), 5},
        {QStringLiteral("Bluegrass"), 1},
        {QStringLiteral("Blues"), 2},
        {QStringLiteral("Brit Pop"), 22},
        {QStringLiteral("Classical"), 3},
        {QStringLiteral("Classical Rock"), 23},
        {QStringLiteral("Country"), 4},
        {QStringLiteral("Dance"), 6},
        {QStringLiteral("Drum N Bass"), 7},
        {QStringLiteral("Dubstep"), 41},
        {QStringLiteral("Funk"), 13},
        {QStringLiteral("General Rock"), 24},
        {QStringLiteral("Goth"), 14},
        {QStringLiteral("Grunge"), 29},
        {QStringLiteral("Heavy Metal"), 15},
        {QStringLiteral("Hip Hop - Modern"), 17},
        {QStringLiteral("Hip Hop - Olskool"), 16},
        {QStringLiteral("House"), 9},
        {QStringLiteral("Indie"), 26},
        {QStringLiteral("Industrial"), 8},
        {QStringLiteral("Jazz"), 18},
        {QStringLiteral("Latin"), 19},
        {QStringLiteral("Miscellaneous"), 39},
        {QStringLiteral("New Wave"), 20},
        {QStringLiteral("Pop"), 0},
        {QStringLiteral("Punk"), 28},
        {QStringLiteral("R&B"), 21},
        {QStringLiteral("Ska"), 0},
        {QStringLiteral("Techno"), 10},
        {QStringLiteral("Trance"), 11},
        {QStringLiteral("Video Game"), 12},
    };
    return table;
}

QStringList genreNames() {
    QStringList names;
    for (const Genre& g : genres())
        names << g.name;
    return names;
}

std::optional<int> listNumber(const QString& genre) {
    const auto& table = genres();
    const auto it =
        std::find_if(table.begin(), table.end(), [&](const Genre& g) { return g.name == genre; });
    if (it == table.end() || it->list == 0)
        return std::nullopt;
    return it->list;
}

QString sortSuffix(const QString& sortOrder) {
    if (sortOrder == QLatin1String("Top rated"))
        return QStringLiteral("/score");
    if (sortOrder == QLatin1String("Title"))
        return QStringLiteral("/title");
    if (sortOrder == QLatin1String("Recently added"))
        return QStringLiteral("/date");
    return {};
}

std::optional<ResultPages> resultPages(const QString& results) {
    if (results == QLatin1String("50"))
        return ResultPages{1, 100};
    if (results == QLatin1String("100"))
        return ResultPages{2, 50};
    if (results == QLatin1String("150"))
        return ResultPages{3, 34};
    if (results == QLatin1String("200"))
        return ResultPages{4, 25};
    return std::nullopt;
}

std::optional<int> startPage(const QString& text) {
    return text::strictInteger(text, {.plusSign = true});
}

QString notAnIntegerText(const QString& text) {
    return QStringLiteral("'%1' is not a valid integer value").arg(text);
}

QString listAddress(const QString& portalBase, int list) {
    return portalBase + QStringLiteral("/audio/list/") + QString::number(list);
}

QString pageAddress(const QString& listAddress, qint64 page, const QString& suffix) {
    return listAddress + QLatin1Char('/') + QString::number(page) + suffix;
}

QStringList startPageMessages(const QString& text) {
    QStringList said;
    const std::optional<int> page = startPage(text);
    if (!page)
        said << QStringLiteral("You must enter a value between 1 and 100");
    else if (*page > 100)
        said << QStringLiteral("Please enter a value below 100");
    if (text == QLatin1String("0"))
        said << QStringLiteral("You must enter a value over 0");
    return said;
}

} // namespace qv::catalogue
