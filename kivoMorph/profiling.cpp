#include "kivoMorph/profiling.h"

#include <algorithm>

bool beginProfiling(ProfilingAccumulators& profiling, bool enabled) {
    if (enabled != profiling.active) {
        profiling.sums = EvaluationTimes();
        profiling.count = 0;
        profiling.active = enabled;
    }
    return enabled;
}

bool finishProfiling(ProfilingAccumulators& profiling, const EvaluationTimes& times, int sampleRate,
                     const MString& nodeName, unsigned int multiIndex, MString& line) {
    EvaluationTimes& sums = profiling.sums;
    sums.total += times.total;
    sums.surfCache += times.surfCache;
    sums.targetCache += times.targetCache;
    sums.partialCache += times.partialCache;
    sums.envW += times.envW;
    sums.baseW += times.baseW;
    sums.targetLoop += times.targetLoop;
    sums.uvLoop += times.uvLoop;
    sums.uvEval += times.uvEval;
    sums.nonUvLoop += times.nonUvLoop;
    profiling.count += 1;
    if (profiling.count < static_cast<std::uint32_t>(std::max(1, sampleRate))) {
        return false;
    }

    const double inv = 1.0 / profiling.count;
    const double avgTotal = sums.total * inv;
    const double fps = avgTotal > 1e-8 ? 1000.0 / avgTotal : 0.0;
    line = MString("[KivoMorph Timing] ") + nodeName + "[" + static_cast<double>(multiIndex) + "]" + " avg(" +
           static_cast<double>(profiling.count) + ")" + " total=" + avgTotal + "ms" + " (" + fps + " fps)" +
           " | surfCache=" + sums.surfCache * inv + " | targetCache=" + sums.targetCache * inv +
           " | partialCache=" + sums.partialCache * inv + " | envW=" + sums.envW * inv +
           " | baseW=" + sums.baseW * inv + " | targetLoop=" + sums.targetLoop * inv +
           " | uvLoop=" + sums.uvLoop * inv + " | uvEval=" + sums.uvEval * inv +
           " | nonUvLoop=" + sums.nonUvLoop * inv;

    sums = EvaluationTimes();
    profiling.count = 0;
    return true;
}
