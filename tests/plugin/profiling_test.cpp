#include "kivoMorph/profiling.h"

#include <gtest/gtest.h>

#include <string>

namespace {

EvaluationTimes sampleTimes(double scale) {
    EvaluationTimes times;
    times.total = 2.0 * scale;
    times.targetCache = 0.5 * scale;
    times.envW = 0.125 * scale;
    times.targetLoop = 1.0 * scale;
    times.nonUvLoop = 0.25 * scale;
    return times;
}

// Runs one timed evaluation; returns the report line, or an empty string when none is due.
std::string evaluate(ProfilingAccumulators& profiling, const EvaluationTimes& times, int rate,
                     unsigned int multiIndex = 0) {
    EXPECT_TRUE(beginProfiling(profiling, true));
    MString line;
    return finishProfiling(profiling, times, rate, "kivoMorph1", multiIndex, line) ? line.asChar() : "";
}

} // namespace

TEST(Profiling, ReportLineShape) {
    ProfilingAccumulators profiling;
    EXPECT_EQ(
        evaluate(profiling, sampleTimes(1.0), 1),
        "[KivoMorph Timing] kivoMorph1[0] avg(1) total=2ms (500 fps) | surfCache=0 | targetCache=0.5"
        " | partialCache=0 | envW=0.125 | baseW=0 | targetLoop=1 | uvLoop=0 | uvEval=0 | nonUvLoop=0.25");
    // A zero average time reports 0 fps instead of dividing by it.
    EXPECT_EQ(evaluate(profiling, EvaluationTimes(), 1),
              "[KivoMorph Timing] kivoMorph1[0] avg(1) total=0ms (0 fps) | surfCache=0 | targetCache=0"
              " | partialCache=0 | envW=0 | baseW=0 | targetLoop=0 | uvLoop=0 | uvEval=0 | nonUvLoop=0");
}

TEST(Profiling, RatesBelowOneReportEveryEvaluation) {
    for (const int rate : {1, 0, -3}) {
        SCOPED_TRACE(rate);
        ProfilingAccumulators profiling;
        EXPECT_NE(evaluate(profiling, sampleTimes(1.0), rate), "");
        EXPECT_NE(evaluate(profiling, sampleTimes(1.0), rate), "");
    }
}

TEST(Profiling, TwoGeometriesShareOneSeries) {
    ProfilingAccumulators profiling;
    for (int frame = 0; frame < 14; ++frame) {
        EXPECT_EQ(evaluate(profiling, sampleTimes(1.0), 30, 0), "");
        EXPECT_EQ(evaluate(profiling, sampleTimes(3.0), 30, 1), "");
    }
    EXPECT_EQ(evaluate(profiling, sampleTimes(1.0), 30, 0), "");
    // The call completing the series names its geometry; averages cover both geometries.
    const std::string line = evaluate(profiling, sampleTimes(3.0), 30, 1);
    EXPECT_EQ(line.rfind("[KivoMorph Timing] kivoMorph1[1] avg(30) total=4ms (250 fps) | surfCache=0 | "
                         "targetCache=1 |",
                         0),
              0u)
        << line;
    // The next series starts empty.
    EXPECT_EQ(evaluate(profiling, sampleTimes(1.0), 30, 0), "");
}

TEST(Profiling, TurningOffAndOnStartsAFreshSeries) {
    ProfilingAccumulators profiling;
    for (int frame = 0; frame < 20; ++frame) {
        evaluate(profiling, sampleTimes(5.0), 30);
    }
    EXPECT_FALSE(beginProfiling(profiling, false));
    EXPECT_FALSE(beginProfiling(profiling, false));
    for (int frame = 0; frame < 29; ++frame) {
        EXPECT_EQ(evaluate(profiling, sampleTimes(1.0), 30), "");
    }
    const std::string line = evaluate(profiling, sampleTimes(1.0), 30);
    EXPECT_NE(line.find(" avg(30) total=2ms "), std::string::npos) << line;
}
