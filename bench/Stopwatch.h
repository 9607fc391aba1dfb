#pragma once

#include <algorithm>
#include <ctime>
#include <vector>

// Processor time of this process: on a machine shared with builds, wall time mostly measures the others.
class Stopwatch {
public:
    Stopwatch() { Restart(); }
    void Restart() { m_start = std::clock(); }
    double Ms() const { return 1000.0 * static_cast<double>(std::clock() - m_start) / CLOCKS_PER_SEC; }

private:
    std::clock_t m_start{};
};

// The best of several rounds: the one least disturbed by the rest of the machine.
inline double Best(const std::vector<double>& times) {
    return *std::min_element(times.begin(), times.end());
}
