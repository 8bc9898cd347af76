#pragma once
// Clock and statistics shared by the benchmarks: milliseconds from the performance counter
// (one clock for every process of the machine, so stamps of two processes compare).

#include <windows.h>

#include <algorithm>
#include <vector>

inline double PerformanceFrequency() {
    static const double frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return static_cast<double>(f.QuadPart);
    }();
    return frequency;
}

inline double CounterToMs(long long counter) {
    return static_cast<double>(counter) * 1000.0 / PerformanceFrequency();
}

inline double NowMs() {
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return CounterToMs(t.QuadPart);
}

inline double Median(std::vector<double> values) {
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

inline double Minimum(const std::vector<double>& values) {
    return values.empty() ? 0 : *std::min_element(values.begin(), values.end());
}
