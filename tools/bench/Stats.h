#pragma once

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <vector>

// Repeated timings of one thing, printed as min / median / max.
struct Samples {
    std::vector<double> values;

    void Add(double value) { values.push_back(value); }
    double Min() const { return values.empty() ? 0 : *std::min_element(values.begin(), values.end()); }
    double Median() const {
        std::vector<double> sorted = values;
        std::sort(sorted.begin(), sorted.end());
        return sorted.empty() ? 0 : sorted[sorted.size() / 2];
    }
    void Print(const char* what, const char* unit) const {
        if (values.empty())
            return;
        printf("  %-44s min %9.2f  median %9.2f  max %9.2f %s  (%zu runs)\n", what, Min(), Median(),
               *std::max_element(values.begin(), values.end()), unit, values.size());
    }
};

inline double NowMs() {
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return double(now.QuadPart) * 1000.0 / double(frequency.QuadPart);
}
