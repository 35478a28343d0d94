#pragma once
// Figures over the runs of a benchmark that starts its processes in turns.

#include <algorithm>
#include <cstddef>
#include <vector>

namespace tarvik::bench {

struct Spread {
    double median = 0;
    double min = 0;
    double max = 0;
};

// The median, least and greatest value of one field over all samples; zeros when there are none.
template <typename Sample> Spread spreadOf(const std::vector<Sample>& samples, double Sample::*field) {
    std::vector<double> values;
    values.reserve(samples.size());
    for (const Sample& s : samples)
        values.push_back(s.*field);
    if (values.empty())
        return {};
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    const double median = n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
    return {median, values.front(), values.back()};
}

} // namespace tarvik::bench
