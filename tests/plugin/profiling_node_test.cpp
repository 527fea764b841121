// Evaluation profiling through the node: the timing line, its series and what counts.
#include "PluginScene.h"

#include <regex>
#include <string>
#include <vector>

class ProfilingNode : public PluginScene {
protected:
    // Two planes deformed by one node "m"; only geometry 0 gets a target unless asked.
    void twoGeometries(bool targetsOnBoth) {
        run("polyPlane -w 2 -h 2 -sx 1 -sy 1 -n baseA; polyPlane -w 2 -h 2 -sx 1 -sy 1 -n baseB;"
            "deformer -type kivoMorph -n m baseA baseB;" +
            itemArrays("m.it[0].itg[0].iti[6000]", {1}, {MVector(0, 1, 0)}));
        if (targetsOnBoth) {
            run(itemArrays("m.it[1].itg[0].iti[6000]", {2}, {MVector(0, 1, 0)}));
        }
        run("setAttr m.pe 1;");
        clearMessages();
    }

    // One frame: a new weight, then both shapes read (geometry 0 first).
    void frame() {
        ++fFrame;
        run("setAttr m.weight[0] " + std::to_string(0.01 * fFrame) + ";");
        points("baseA");
        points("baseB");
    }

    static std::vector<std::string> timingLines() {
        std::vector<std::string> lines;
        for (const khost::Message& m : khost::Messages::instance().captured()) {
            if (m.kind == khost::Message::Info && m.text.rfind("[KivoMorph Timing]", 0) == 0) {
                lines.push_back(m.text);
            }
        }
        return lines;
    }

    // The whole line for node m, geometry `index`, averaged over `count` evaluations.
    static std::regex linePattern(unsigned int index, unsigned int count) {
        const std::string number = R"(-?(\d+(\.\d*)?|\.\d+)(e[-+]\d+)?)";
        std::string pattern = R"(\[KivoMorph Timing\] m\[)" + std::to_string(index) + R"(\] avg\()" +
                              std::to_string(count) + R"(\) total=)" + number + R"(ms \()" + number +
                              R"( fps\))";
        for (const char* phase : {"surfCache", "targetCache", "partialCache", "envW", "baseW", "targetLoop",
                                  "uvLoop", "uvEval", "nonUvLoop"}) {
            pattern += std::string(R"( \| )") + phase + "=" + number;
        }
        return std::regex(pattern);
    }

private:
    int fFrame = 0;
};

TEST_F(ProfilingNode, RatesOfOneOrLessReportEveryEvaluation) {
    twoGeometries(false);
    run("setAttr m.psr 1;");
    frame();
    frame();
    ASSERT_EQ(timingLines().size(), 2u);
    for (const std::string& line : timingLines()) {
        EXPECT_TRUE(std::regex_match(line, linePattern(0, 1))) << line;
    }

    // Values below the minimum arrive through a connection; they count as 1.
    run("createNode kivoMorph -n rate; connectAttr rate.origin m.psr;");
    for (const char* value : {"0", "-3"}) {
        SCOPED_TRACE(value);
        run(std::string("setAttr rate.origin ") + value + ";");
        clearMessages();
        frame();
        ASSERT_EQ(timingLines().size(), 1u);
        EXPECT_TRUE(std::regex_match(timingLines()[0], linePattern(0, 1))) << timingLines()[0];
    }
}

TEST_F(ProfilingNode, TwoGeometriesShareTheDefaultSeriesOfThirty) {
    twoGeometries(true);
    EXPECT_EQ(result("getAttr m.psr"), "30");
    for (int f = 0; f < 14; ++f) {
        frame();
    }
    EXPECT_TRUE(timingLines().empty());
    // The fifteenth frame's second call completes the series of 30 calls.
    frame();
    ASSERT_EQ(timingLines().size(), 1u);
    EXPECT_TRUE(std::regex_match(timingLines()[0], linePattern(1, 30))) << timingLines()[0];
}

TEST_F(ProfilingNode, EarlyReturnsAreNotCounted) {
    // Geometry 1 has no inputTarget element, so its calls return early.
    twoGeometries(false);
    run("setAttr m.psr 2;");
    frame();
    EXPECT_TRUE(timingLines().empty());
    run("setAttr m.envelope 0;");
    frame();
    EXPECT_TRUE(timingLines().empty());
    run("setAttr m.envelope 1;");
    frame();
    ASSERT_EQ(timingLines().size(), 1u);
    EXPECT_TRUE(std::regex_match(timingLines()[0], linePattern(0, 2))) << timingLines()[0];
}

TEST_F(ProfilingNode, TurningProfilingOffAndOnStartsAFreshSeries) {
    twoGeometries(false);
    run("setAttr m.psr 3;");
    frame();
    frame();
    run("setAttr m.pe 0;");
    frame();
    run("setAttr m.pe 1;");
    frame();
    frame();
    EXPECT_TRUE(timingLines().empty());
    frame();
    ASSERT_EQ(timingLines().size(), 1u);
    EXPECT_TRUE(std::regex_match(timingLines()[0], linePattern(0, 3))) << timingLines()[0];
}
