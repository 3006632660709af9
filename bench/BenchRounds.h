// What every benchmark does with its figures: times its sides in turn over several rounds (so that other load
// on the machine falls on all of them alike) and prints min / median / max of each side and of their ratio;
// and the process's peak resident memory.
#pragma once

#include <QElapsedTimer>
#include <QFile>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace corvane::bench {

// The seconds `work` takes.
inline double seconds(const std::function<void()> &work) {
    QElapsedTimer timer;
    timer.start();
    work();
    return static_cast<double>(timer.nsecsElapsed()) / 1e9;
}

// Runs each of `sides` in turn, `rounds` times; the result holds the seconds of each side per round.
inline std::vector<std::vector<double>> alternate(int rounds, const std::vector<std::function<void()>> &sides) {
    std::vector<std::vector<double>> times(sides.size());
    for (int round = 0; round < rounds; ++round) {
        for (size_t side = 0; side < sides.size(); ++side) {
            times[side].push_back(seconds(sides[side]));
        }
    }
    return times;
}

struct Spread {
    double min = 0;
    double median = 0;
    double max = 0;
};

// Min, median (the upper one of an even count) and max of `values`; zeros when there are none.
inline Spread spread(std::vector<double> values) {
    if (values.empty()) {
        return {};
    }
    std::sort(values.begin(), values.end());
    return {values.front(), values[values.size() / 2], values.back()};
}

// `top[i] / bottom[i]` for each round.
inline std::vector<double> ratios(const std::vector<double> &top, const std::vector<double> &bottom) {
    std::vector<double> out;
    for (size_t i = 0; i < std::min(top.size(), bottom.size()); ++i) {
        out.push_back(bottom[i] > 0 ? top[i] / bottom[i] : 0);
    }
    return out;
}

// Prints "  what: min X median Y max Z unit" with the values multiplied by `scale`.
inline void printSpread(const char *what, const std::vector<double> &values, const char *unit = "s", double scale = 1) {
    const Spread s = spread(values);
    std::printf("  %-40s min %10.3f  median %10.3f  max %10.3f %s\n", what, s.min * scale, s.median * scale,
                s.max * scale, unit);
}

// Rates (`count` per second) of each round's seconds.
inline std::vector<double> rates(const std::vector<double> &secondsPerRound, double count) {
    std::vector<double> out;
    for (const double s : secondsPerRound) {
        out.push_back(s > 0 ? count / s : 0);
    }
    return out;
}

// The peak resident set of this process in MB (VmHWM), -1 when unknown.
inline double peakResidentMb() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) {
        return -1;
    }
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:")) {
            return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024;
        }
    }
    return -1;
}

} // namespace corvane::bench
