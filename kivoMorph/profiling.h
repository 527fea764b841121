#pragma once
// Evaluation timing of the kivoMorph node: phase times summed over a series of evaluations
// and reported as averages once the series reaches the sample rate.

#include <maya/MString.h>

#include <chrono>
#include <cstdint>

// Milliseconds spent in each phase, for one evaluation or summed over a series.
struct EvaluationTimes {
    double total = 0.0;
    double surfCache = 0.0;
    double targetCache = 0.0;
    double partialCache = 0.0;
    double envW = 0.0;
    double baseW = 0.0;
    double targetLoop = 0.0;
    double uvLoop = 0.0;
    double uvEval = 0.0;
    double nonUvLoop = 0.0;
};

// Shared by every geometry the node deforms.
struct ProfilingAccumulators {
    EvaluationTimes sums;
    std::uint32_t count = 0;
    bool active = false;
};

// Times one phase when profiling is on; reads no clock otherwise.
class PhaseClock {
public:
    explicit PhaseClock(bool enabled) : fEnabled(enabled), fStart(enabled ? now() : 0) {}
    void addTo(double& milliseconds) const {
        if (fEnabled) {
            milliseconds += static_cast<double>(now() - fStart) * 1e-6;
        }
    }

private:
    static std::int64_t now() {
        return std::chrono::duration_cast<std::chrono::nanoseconds>(
                   std::chrono::steady_clock::now().time_since_epoch())
            .count();
    }

    bool fEnabled;
    std::int64_t fStart;
};

// Starts or ends a series as profilingEnabled changes; true when this evaluation is timed.
bool beginProfiling(ProfilingAccumulators& profiling, bool enabled);

// Adds one timed evaluation. When the series holds max(1, sampleRate) evaluations, fills the
// report line, starts a new series and returns true.
bool finishProfiling(ProfilingAccumulators& profiling, const EvaluationTimes& times, int sampleRate,
                     const MString& nodeName, unsigned int multiIndex, MString& line);
