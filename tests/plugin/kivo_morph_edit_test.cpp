// The kivoMorphEdit command through scripts: target shapes mirrored and flipped by component,
// closest point, UV and UV shell, with the points worked out here by brute force; which target
// geometries a name selects; every refusal with its message; undo, redo and the node's rebind; and
// writes that fail leaving every target as it was.
#include "PluginScene.h"

#include "core/Threads.h"

#include <maya/MFloatPoint.h>

#include <cfloat>
#include <fstream>
#include <functional>
#include <limits>
#include <map>
#include <set>

namespace {

constexpr double kPlane = 1e-6;

MPoint reflect(MPoint p, int axis) {
    p[static_cast<unsigned>(axis)] = -p[static_cast<unsigned>(axis)];
    return p;
}

// A point as a mesh keeps it: in single precision.
MPoint single(const MPoint& p) {
    return MPoint(MFloatPoint(p));
}

class KivoMorphEditTest : public PluginScene {
protected:
    void TearDown() override {
        khost::setThreadCount(0);
        PluginScene::TearDown();
    }

    // A kivoMorph "face" on `base`, whose target 0 (aliased "smile") is `smile`, both made by `make`.
    void rig(const std::string& make) {
        run(make + " -n base; " + make + " -n smile; select -r smile base; kivoMorph -n face; select -cl;");
    }
    static void setPoints(const std::string& name, const MPointArray& points) {
        khost::UndoRecord unrecorded;
        ASSERT_TRUE(khost::setShapePoints(unrecorded, khost::shapeOf(node(name)), points, MSpace::kObject));
    }
    // The base's points moved by offsets that differ from point to point, so that every point's
    // result tells where its offset came from.
    static MPointArray sculpt(const MPointArray& base) {
        MPointArray target = base;
        for (unsigned int i = 0; i < base.length(); ++i)
            target[i] += MVector(0.1 * std::sin(1.7 * i), 0.3 * std::cos(0.9 * i), 0.05 * (i % 5));
        return target;
    }
    static void expectPoints(const MPointArray& actual, const MPointArray& expected,
                             double tolerance = 1e-6) {
        ASSERT_EQ(actual.length(), expected.length());
        for (unsigned int i = 0; i < actual.length(); ++i)
            EXPECT_TRUE(actual[i].isEquivalent(expected[i], tolerance))
                << "point " << i << ": " << actual[i].x << " " << actual[i].y << " " << actual[i].z
                << " instead of " << expected[i].x << " " << expected[i].y << " " << expected[i].z;
    }

    // The mirror of a target's offsets worked out point by point: each eligible point (by its base
    // coordinate c on the axis) takes the reflected offset that `source` finds for it, a mirror keeps
    // points of the plane on it.
    using Source = std::function<bool(unsigned int i, const MPoint& mirrored, MVector& offset)>;
    static MPointArray mirrorByHand(const MPointArray& base, const MPointArray& target, int axis,
                                    bool inverse, bool flip, bool planeExcluded, const Source& source) {
        MPointArray expected = target;
        for (unsigned int i = 0; i < base.length(); ++i) {
            const double c = base[i][static_cast<unsigned>(axis)];
            const bool eligible =
                flip ? !planeExcluded || std::fabs(c) > kPlane : (inverse ? c >= -kPlane : c <= kPlane);
            MVector offset;
            if (!eligible || !source(i, reflect(base[i], axis), offset))
                continue;
            expected[i] = base[i] + MVector(reflect(MPoint(offset), axis));
            if (!flip && std::fabs(c) <= kPlane)
                expected[i][static_cast<unsigned>(axis)] = base[i][static_cast<unsigned>(axis)];
        }
        return expected;
    }
    // The component mirror on a mesh: the nearest base point, by brute force, on the side the offsets
    // come from.
    static MPointArray componentMirror(const MPointArray& base, const MPointArray& target, int axis,
                                       bool inverse, bool flip) {
        return mirrorByHand(base, target, axis, inverse, flip, true,
                            [&](unsigned int i, const MPoint& mirrored, MVector& offset) {
                                const double c = base[i][static_cast<unsigned>(axis)];
                                const bool positive = flip ? c <= 0.0 : !inverse;
                                double best = DBL_MAX;
                                for (unsigned int j = 0; j < base.length(); ++j) {
                                    const double cj = base[j][static_cast<unsigned>(axis)];
                                    if ((positive ? cj >= kPlane : cj <= -kPlane) &&
                                        base[j].distanceTo(mirrored) < best) {
                                        best = base[j].distanceTo(mirrored);
                                        offset = target[j] - base[j];
                                    }
                                }
                                return best < DBL_MAX;
                            });
    }

    // The last information line, which must say how long the mode took.
    std::string completed() const {
        const auto& captured = khost::Messages::instance().captured();
        for (auto m = captured.rbegin(); m != captured.rend(); ++m)
            if (m->kind == khost::Message::Info &&
                m->text.find(" target geometry completed in ") != std::string::npos)
                return m->text.substr(0, m->text.find(" completed"));
        return "";
    }
    // The command must fail showing exactly these messages (besides the status reports after them),
    // leaving the scene and the undo queue as they were.
    void expectRefused(const std::string& statement, const std::vector<std::string>& messages) {
        const std::string before = sceneText();
        const size_t queued = khost::UndoQueue::instance().undoCount();
        clearMessages();
        EXPECT_FALSE(khost::executeStatement(statement)) << statement;
        std::vector<std::string> shown;
        for (const std::string& text : errors())
            if (text.rfind("------------------------------------\n", 0) != 0)
                shown.push_back(text);
        EXPECT_EQ(shown, messages) << statement;
        EXPECT_EQ(firstDifference(sceneText(), before), "") << statement;
        EXPECT_EQ(khost::UndoQueue::instance().undoCount(), queued) << statement;
    }
};

} // namespace

// A cube on a grid of whole numbers: symmetric across every plane, and no two candidates of a point
// at the same distance.
TEST_F(KivoMorphEditTest, ComponentMirrorAcrossEachPlaneKeepsThePlaneOnIt) {
    rig("polyCube -w 2 -h 2 -d 2 -sx 2 -sy 2 -sz 2");
    const MPointArray base = points("base"), start = sculpt(base);
    const std::string modes[3] = {"YZ", "XZ", "XY"};
    for (int axis = 0; axis < 3; ++axis) {
        for (const bool inverse : {false, true}) {
            setPoints("smile", start);
            run("kivoMorphEdit -dd face -ds smile -sa closestComponent -mm " + modes[axis] +
                (inverse ? " -mi true" : ""));
            EXPECT_EQ(completed(), "Mirror target geometry");
            const MPointArray mirrored = points("smile");
            expectPoints(mirrored, componentMirror(base, start, axis, inverse, false));
            for (unsigned int i = 0; i < base.length(); ++i) {
                const double c = base[i][static_cast<unsigned>(axis)];
                if (std::fabs(c) <= kPlane) {
                    EXPECT_EQ(mirrored[i][static_cast<unsigned>(axis)],
                              single(base[i])[static_cast<unsigned>(axis)]);
                } else if (inverse ? c < 0 : c > 0) {
                    EXPECT_EQ(mirrored[i], single(start[i])) << "the side offsets come from stays";
                }
            }
        }
    }
}

TEST_F(KivoMorphEditTest, FlipTwiceGivesTheStartBackAndAnUnchangedTargetStaysInEveryMode) {
    rig("polyCube -w 2 -h 2 -d 2 -sx 2 -sy 2 -sz 2");
    const MPointArray base = points("base"), start = sculpt(base);
    setPoints("smile", start);
    run("kivoMorphEdit -dd face -ds smile -sa closestComponent -ft true -mi true");
    EXPECT_EQ(completed(), "Flip target geometry");
    const MPointArray flipped = points("smile");
    expectPoints(flipped, componentMirror(base, start, 0, false, true));
    for (unsigned int i = 0; i < base.length(); ++i) {
        if (std::fabs(base[i].x) <= kPlane) {
            EXPECT_EQ(flipped[i], single(start[i])) << "the plane stays where the target had it";
        }
    }
    run("kivoMorphEdit -dd face -ds smile -sa closestComponent -ft true");
    expectPoints(points("smile"), start);

    // A target equal to its base has no offsets to move anything.
    run("polyPlane -w 4 -h 2 -sx 4 -sy 2 -n flat; polyPlane -w 4 -h 2 -sx 4 -sy 2 -n same");
    MPointArray shifted = points("flat");
    for (MPoint& p : shifted)
        p = single(p + MVector(0.3, 0.0, 0.1));
    setPoints("flat", shifted);
    setPoints("same", shifted);
    run("select -r same flat; kivoMorph -n still; select -cl");
    for (const std::string association :
         {"closestPoint", "closestComponent", "closestUV", "closestUVShellCenter"})
        for (const std::string flags : {"", " -mi true", " -ft true", " -mm XY"}) {
            run("kivoMorphEdit -dd still -ds same -sa " + association + flags);
            expectPoints(points("same"), shifted, 0.0);
        }
}

// Closest point: an offset that is linear over the base is blended exactly at any mirrored point.
TEST_F(KivoMorphEditTest, ClosestPointBlendsTheOffsetsOfTheTriangleAtTheMirroredPoint) {
    run("polyPlane -w 4 -h 2 -sx 3 -sy 2 -n base; polyPlane -w 4 -h 2 -sx 3 -sy 2 -n smile; move -r 0.3 0 0 "
        "base.vtx[0:11]; select -r smile base; kivoMorph -n face");
    const MPointArray base = points("base");
    const auto linear = [](const MPoint& p) {
        return MVector(0.1 * p.z, 0.5 + 0.25 * p.x + 0.1 * p.z, 0.2 * p.x);
    };
    MPointArray start = base;
    for (MPoint& p : start)
        p += linear(p);
    setPoints("smile", start);
    run("kivoMorphEdit -dd face -ds smile");
    expectPoints(points("smile"), mirrorByHand(base, start, 0, false, false, false,
                                               [&](unsigned int, const MPoint& mirrored, MVector& offset) {
                                                   offset = linear(mirrored);
                                                   return true;
                                               }));
}

// A degree-1 curve along x with uneven CVs, so that no two distances tie.
TEST_F(KivoMorphEditTest, CurvesMirrorByComponentAndByTheTwoNearestPoints) {
    rig("curve -d 1 -p -2.5 0 0 -p -1 0 0 -p 0 0 0 -p 0.9 0 0 -p 2.2 0 0");
    const MPointArray base = points("base"), start = sculpt(base);
    setPoints("smile", start);
    run("kivoMorphEdit -dd face -ds smile -sa closestComponent -mi true");
    // The curve's closest point to a mirrored CV is that point itself: the nearest CV gives its offset.
    expectPoints(points("smile"),
                 mirrorByHand(base, start, 0, true, false, false,
                              [&](unsigned int, const MPoint& mirrored, MVector& offset) {
                                  unsigned int best = 0;
                                  for (unsigned int j = 1; j < base.length(); ++j)
                                      if (base[j].distanceTo(mirrored) < base[best].distanceTo(mirrored))
                                          best = j;
                                  offset = start[best] - base[best];
                                  return true;
                              }),
                 1e-12);

    setPoints("smile", start);
    run("kivoMorphEdit -dd face -ds smile -ft true");
    expectPoints(points("smile"),
                 mirrorByHand(base, start, 0, false, true, false,
                              [&](unsigned int, const MPoint& mirrored, MVector& offset) {
                                  std::vector<std::pair<double, unsigned int>> near;
                                  for (unsigned int j = 0; j < base.length(); ++j)
                                      near.emplace_back(base[j].distanceTo(mirrored), j);
                                  std::sort(near.begin(), near.end());
                                  MVector sum;
                                  double total = 0.0;
                                  for (int k = 0; k < 2; ++k) {
                                      const double f = 1.0 / std::max(near[k].first, 1e-5);
                                      sum += (start[near[k].second] - base[near[k].second]) * f;
                                      total += f;
                                  }
                                  offset = sum / total;
                                  return true;
                              }),
                 1e-12);

    expectRefused("kivoMorphEdit -dd face -ds smile -sa closestUV",
                  {"UV-based surface association is only supported for mesh targets."});
}

// UVs of a polyPlane run with x, so mirroring U around 0.5 finds each point's reflection; two
// shells laid out each on its own side mirror within themselves around their own centres.
TEST_F(KivoMorphEditTest, UVMirrorsAroundTheMiddleOrEachShellsCentre) {
    rig("polyPlane -w 4 -h 2 -sx 4 -sy 2");
    const MPointArray base = points("base"), start = sculpt(base);
    const Source reflection = [&](unsigned int, const MPoint& mirrored, MVector& offset) {
        for (unsigned int j = 0; j < base.length(); ++j)
            if (base[j].isEquivalent(mirrored, 1e-9)) {
                offset = start[j] - base[j];
                return true;
            }
        return false;
    };
    for (const std::string association : {"closestUV", "ClosestUVGlobal"}) {
        setPoints("smile", start);
        run("kivoMorphEdit -dd face -ds smile -mi true -sa " + association);
        expectPoints(points("smile"), mirrorByHand(base, start, 0, true, false, false, reflection));
    }

    // Left shell: x -2 .. -1 at u 0.1 .. 0.3; right shell: x 1 .. 2 at u 0.7 .. 0.9; v = y.
    const std::string file = ::testing::TempDir() + "two_shells.obj";
    std::ofstream(file)
        << "o halves\nv -2 0 0\nv -1 0 0\nv -1 1 0\nv -2 1 0\nv 1 0 0\nv 2 0 0\nv 2 1 0\nv 1 1 0\n"
           "vt 0.1 0\nvt 0.3 0\nvt 0.3 1\nvt 0.1 1\nvt 0.7 0\nvt 0.9 0\nvt 0.9 1\nvt 0.7 1\n"
           "f 1/1 2/2 3/3 4/4\nf 5/5 6/6 7/7 8/8\n";
    run("file -import \"" + file +
        "\"; duplicate -n carved halves; select -r carved halves; kivoMorph -n shells");
    const MPointArray halves = points("halves"), carved = sculpt(halves);
    setPoints("carved", carved);
    run("kivoMorphEdit -dd shells -ds carved -sa closestUV");
    const auto partner = [&](const unsigned int(&of)[4]) {
        MPointArray expected = carved;
        for (unsigned int i = 0; i < 4; ++i)
            expected[i] = halves[i] + MVector(reflect(MPoint(carved[of[i]] - halves[of[i]]), 0));
        return expected;
    };
    expectPoints(points("carved"), partner({5, 4, 7, 6}));
    setPoints("carved", carved);
    run("kivoMorphEdit -dd shells -ds carved -sa closestUVShellCenter");
    expectPoints(points("carved"), partner({1, 0, 3, 2}));

    const std::string bare = ::testing::TempDir() + "bare.obj";
    std::ofstream(bare) << "o bare\nv -1 0 0\nv 1 0 0\nv 1 1 0\nv -1 1 0\nf 1 2 3 4\n";
    run("file -import \"" + bare + "\"; duplicate -n bareT bare; select -r bareT bare; kivoMorph -n plain");
    for (const std::string association : {"closestUV", "closestUVShellCenter"})
        expectRefused("kivoMorphEdit -dd plain -ds bareT -sa " + association,
                      {"UV-based mirror requires a valid UV set on '|bare|bareShapeOrig'."});
}

// Two geometry inputs: target 0 has tA (with an inbetween tAmid) on the first and tB on the second;
// target 1 is `other`.
TEST_F(KivoMorphEditTest, NamesSelectTheTargetGeometriesTheyReach) {
    const std::string plane = "polyPlane -w 2 -h 2 -sx 2 -sy 2 -n ";
    run(plane + "baseA; " + plane + "baseB; " + plane + "tA; " + plane + "tAmid; " + plane + "tB; " + plane +
        "other; move -r 0.2 0 0 baseB.vtx[0:8]; move -r 0.2 0 0 tB.vtx[0:8]");
    const MPointArray baseA = points("baseA"), baseB = points("baseB");
    run("deformer -type kivoMorph -n morph baseA baseB");
    const std::vector<std::pair<std::string, std::string>> targets = {{"tA", "it[0].itg[0].iti[6000]"},
                                                                      {"tAmid", "it[0].itg[0].iti[5500]"},
                                                                      {"tB", "it[1].itg[0].iti[6000]"},
                                                                      {"other", "it[0].itg[1].iti[6000]"}};
    std::map<std::string, MPointArray> start, mirrored;
    for (const auto& [name, item] : targets) {
        const MPointArray& base = name == "tB" ? baseB : baseA;
        run("connectAttr " + name + "Shape.worldMesh[0] morph." + item + ".igt");
        start[name] = sculpt(base);
        start[name][0] += MVector(0.01 * static_cast<double>(name.size()), 0.0, 0.0);
        setPoints(name, start[name]);
        mirrored[name] = componentMirror(base, start[name], 0, false, false);
    }
    run("setAttr morph.weight[0] 0; setAttr morph.weight[1] 0; aliasAttr grin morph.weight[0]");
    const auto expectEdited = [&](const std::string& name, const std::set<std::string>& edited) {
        clearMessages();
        run("kivoMorphEdit -dd morph -sa closestComponent -ds " + name);
        for (const auto& target : targets)
            expectPoints(points(target.first + "Shape"),
                         edited.count(target.first) ? mirrored[target.first] : start[target.first]);
        run("undo");
    };
    // The alias, the full-weight geometry on either input and the item's plug name reach every geometry.
    expectEdited("grin", {"tA", "tAmid", "tB"});
    expectEdited("tA", {"tA", "tAmid", "tB"});
    expectEdited("tBShape", {"tA", "tAmid", "tB"});
    expectEdited("weight[1]", {"other"});
    // An inbetween geometry only itself.
    expectEdited("tAmid", {"tAmid"});
    // A transform, each of its connected shapes: the inbetween alone, the other full target whole.
    run("parent -s -r otherShape tAmid");
    expectEdited("tAmid", {"tAmid", "other"});
    // Reached twice (through both shapes under tA), each geometry is edited once.
    run("parent -s -r tBShape tA");
    expectEdited("tA", {"tA", "tAmid", "tB"});
}

TEST_F(KivoMorphEditTest, RefusalsSayWhyAndChangeNothing) {
    rig("polyPlane -w 2 -h 2 -sx 2 -sy 2");
    setPoints("smile", sculpt(points("base")));
    run("deformer -type blendShape -n bs base; setAttr face.weight[3] 0; aliasAttr lonely face.weight[3]");
    const std::string mirror = "kivoMorphEdit -dd face -ds smile";
    expectRefused("kivoMorphEdit -ds smile -mm nonsense", {"Missing required flag: -destinationDeformer"});
    expectRefused("kivoMorphEdit -dd face", {"Missing required flag: -destinationShape"});
    expectRefused("kivoMorphEdit -dd nobody -ds smile", {"KivoMorph deformer not found: nobody"});
    expectRefused("kivoMorphEdit -dd bs -ds smile",
                  {"Only kivoMorph deformers are supported: bs", "KivoMorph deformer not found: bs"});
    expectRefused("kivoMorphEdit -dd \"*\" -ds smile",
                  {"Found >1 matches for '*'", "KivoMorph deformer not found: *"});
    expectRefused("kivoMorphEdit -dd face -ds lonely", {"'lonely' has no connected target geometry."});
    expectRefused("kivoMorphEdit -dd face -ds nobody", {"'nobody' Invalid destination target name."});
    expectRefused("kivoMorphEdit -dd face -ds \"*Shape\"", {"Found >1 matches for '*Shape'"});
    expectRefused("kivoMorphEdit -dd face -ds bs", {"'bs' is not a DAG item."});
    expectRefused("kivoMorphEdit -dd face -ds base", {"'base' Invalid destination target shape."});
    expectRefused(mirror + " -mm yz", {"Valid mirror modes are XY, YZ and XZ."});
    expectRefused(mirror + " -sa closest",
                  {"Valid modes are 'closestPoint', 'closestComponent', 'closestUVGlobal' "
                   "and 'closestUVShellCenter'."});

    // An inbetween of another point count stops the command before any target changes.
    run("polyPlane -w 2 -h 2 -sx 1 -sy 1 -n small; connectAttr smallShape.worldMesh[0] "
        "face.it[0].itg[0].iti[5500].igt");
    expectRefused(mirror, {"Base and target point counts do not match for '|small|smallShape'."});
    run("disconnectAttr smallShape.worldMesh[0] face.it[0].itg[0].iti[5500].igt");

    run("deformer -type kivoMorph -n quadMorph small; curve -d 1 -p 0 0 0 -p 1 0 0 -p 2 0 0 -p 3 0 0 -n "
        "wire; "
        "connectAttr wireShape.worldSpace[0] quadMorph.it[0].itg[0].iti[6000].igt");
    expectRefused("kivoMorphEdit -dd quadMorph -ds wire",
                  {"Unsupported target geometry types. Only meshes and NURBS curves are supported."});
}

// The deformed base follows the edited target through the rebind; undo writes the points read
// before (in single precision) and rebinds again; redo writes the edit again. One thread or two give
// the same points.
TEST_F(KivoMorphEditTest, UndoRedoAndTheRebindFollowTheTarget) {
    rig("polyPlane -w 4 -h 2 -sx 4 -sy 2");
    const MPointArray base = points("base"), start = sculpt(base);
    setPoints("smile", start);
    run("setAttr face.rebind 1; setAttr face.smile 1");
    expectPoints(points("base"), start);
    khost::setThreadCount(1);
    run("kivoMorphEdit -dd face -ds smile -sa closestPoint");
    const MPointArray mirrored = points("smile");
    expectPoints(points("base"), mirrored);
    run("undo");
    MPointArray read = start;
    for (MPoint& p : read)
        p = single(p);
    EXPECT_EQ(points("smile"), read);
    expectPoints(points("base"), start);
    run("redo");
    EXPECT_EQ(points("smile"), mirrored);
    expectPoints(points("base"), mirrored);
    run("undo");
    khost::setThreadCount(2);
    run("kivoMorphEdit -dd face -ds smile -sa closestPoint");
    EXPECT_EQ(points("smile"), mirrored);
}

// A write that fails puts back what was written; a rebind that fails puts back every point. An
// offset too large to blend leaves its point alone rather than write a number that is not finite.
TEST_F(KivoMorphEditTest, FailuresLeaveEveryTargetAsItWas) {
    const std::string plane = "polyPlane -w 2 -h 2 -sx 2 -sy 2 -n ";
    run(plane + "baseA; " + plane + "baseB; " + plane + "tA; " + plane + "fed; " + plane +
        "feed; deformer -type kivoMorph -n morph baseA baseB; connectAttr feedShape.outMesh fedShape.inMesh; "
        "connectAttr tAShape.worldMesh[0] morph.it[0].itg[0].iti[6000].igt; connectAttr "
        "fedShape.worldMesh[0] "
        "morph.it[1].itg[0].iti[6000].igt");
    MPointArray carved = sculpt(points("tA"));
    for (MPoint& p : carved)
        p = single(p);
    setPoints("tA", carved);
    setPoints("feed", carved);
    expectRefused("kivoMorphEdit -dd morph -ds tA", {});
    EXPECT_FALSE(errors().empty()) << "the failed write is reported";
    run("disconnectAttr fedShape.worldMesh[0] morph.it[1].itg[0].iti[6000].igt; setAttr -l true "
        "morph.it[0].itg[0].trb");
    expectRefused("kivoMorphEdit -dd morph -ds tA", {});
    EXPECT_FALSE(errors().empty()) << "the failed rebind is reported";

    rig("curve -d 1 -p -2.5 0 0 -p -1 0 0 -p 0 0 0 -p 0.9 0 0 -p 2.2 0 0");
    MPointArray cvs = points("base");
    cvs[4].y = 1e308;
    setPoints("smile", cvs);
    run("kivoMorphEdit -dd face -ds smile");
    // CV 0's reflection lies 0.3 from CV 4: 1e308 weighted by 1 / 0.3 overflows.
    const MPointArray edited = points("smile");
    EXPECT_EQ(edited[0], cvs[0]);
    EXPECT_EQ(edited[4], cvs[4]);
}
