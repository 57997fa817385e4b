#pragma once
// How the benchmarks time their work: seconds of one run, the median of several.
#include <algorithm>
#include <chrono>
#include <functional>
#include <vector>

namespace sweepora::bench {

inline double Seconds(const std::function<void()>& work)
{
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

inline double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace sweepora::bench
