#pragma once
// Timing for the benchmark programs: the median of many runs, robust on a noisy machine.
#include <algorithm>
#include <chrono>
#include <vector>

template <typename F>
double MedianMicroseconds(int runs, F&& work)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        const auto start = std::chrono::steady_clock::now();
        work();
        const auto stop = std::chrono::steady_clock::now();
        times.push_back(std::chrono::duration<double, std::micro>(stop - start).count());
    }
    std::nth_element(times.begin(), times.begin() + runs / 2, times.end());
    return times[runs / 2];
}
