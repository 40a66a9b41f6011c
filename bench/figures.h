// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <algorithm>
#include <vector>

// The median, minimum and maximum of a benchmark's measurements.
struct Figures {
    double median, min, max;
};

inline Figures figures(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    const double median = n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
    return {median, v.front(), v.back()};
}
