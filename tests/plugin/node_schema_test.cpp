// The node's attribute schema: names, types, defaults, flags, nesting and what affects the output.
// The commands, the GPU override and scene files all address the node through these.
#include "PluginScene.h"
#include <maya/MFnDependencyNode.h>
#include <set>

namespace {

using khost::AttrKind;

enum Flag : unsigned {
    Array = 1,
    Builder = 2,
    Internal = 4,
    Hidden = 8,
    NotStorable = 16,
    Keyable = 32,
    Affects = 64,
};

struct Limits {
    bool hasMin = false, hasMax = false, hasSoftMin = false, hasSoftMax = false;
    double min = 0, max = 0, softMin = 0, softMax = 0;
};
const Limits kNone;
Limits range(double min, double max) {
    Limits l;
    l.hasMin = l.hasMax = true;
    l.min = min;
    l.max = max;
    return l;
}

struct Expected {
    const char* name;
    const char* shortName;
    AttrKind kind;
    MFnNumericData::Type numeric; // numeric attributes
    MFnData::Type data;           // typed attributes
    double defaultValue;
    unsigned flags;
    const char* parent; // "" for a top-level attribute
    Limits limits;
};

constexpr auto N = AttrKind::Numeric;
constexpr auto T = AttrKind::Typed;
constexpr auto C = AttrKind::Compound;
constexpr auto G = AttrKind::Generic;
constexpr auto kNoNum = MFnNumericData::kInvalid;
constexpr auto kNoData = MFnData::kInvalid;

std::vector<Expected> schema() {
    Limits psr;
    psr.hasMin = true;
    psr.min = 1;
    Limits soft;
    soft.hasSoftMin = soft.hasSoftMax = true;
    soft.softMin = 0;
    soft.softMax = 1;
    return {
        {"inputGeomTarget", "igt", G, kNoNum, kNoData, 0, Internal | Affects, "inputTargetItem", kNone},
        {"inputPointsTarget", "ipt", T, kNoNum, MFnData::kPointArray, 0, Affects, "inputTargetItem", kNone},
        {"inputUVTarget", "iuvt", T, kNoNum, MFnData::kDoubleArray, 0, Affects, "inputTargetItem", kNone},
        {"inputPointsIndicesTarget", "ipit", T, kNoNum, MFnData::kIntArray, 0, Affects, "inputTargetItem",
         kNone},
        {"inputTargetItem", "iti", C, kNoNum, kNoData, 0, Array | Builder | Affects, "inputTargetGroup",
         kNone},
        {"targetWeights", "tw", N, MFnNumericData::kDouble, kNoData, 1, Array | Builder | Affects,
         "inputTargetGroup", kNone},
        {"targetWeightLock", "twl", N, MFnNumericData::kBoolean, kNoData, 0, Affects, "inputTargetGroup",
         kNone},
        {"targetWeightNormalization", "twn", N, MFnNumericData::kBoolean, kNoData, 0, Affects,
         "inputTargetGroup", kNone},
        {"targetSurfaceId", "tsi", N, MFnNumericData::kInt, kNoData, 0, Affects, "inputTargetGroup", kNone},
        {"targetBlendLive", "tbl", N, MFnNumericData::kBoolean, kNoData, 0, 0, "inputTargetGroup", kNone},
        {"targetBlendUV", "tbuv", N, MFnNumericData::kBoolean, kNoData, 0, Affects, "inputTargetGroup",
         kNone},
        {"targetBlendBezier", "tbb", N, MFnNumericData::kBoolean, kNoData, 0, Affects, "inputTargetGroup",
         kNone},
        {"targetOffset", "to", N, MFnNumericData::kDouble, kNoData, 1, Affects, "inputTargetGroup",
         range(0, 1)},
        {"targetCurvature", "tc", N, MFnNumericData::kFloat, kNoData, 1, Affects, "inputTargetGroup", kNone},
        {"targetPrecision", "tp", N, MFnNumericData::kDouble, kNoData, 1, Affects, "inputTargetGroup",
         range(0, 100)},
        {"targetRebind", "trb", N, MFnNumericData::kBoolean, kNoData, 0, 0, "inputTargetGroup", kNone},
        {"targetCached", "tib", N, MFnNumericData::kBoolean, kNoData, 0, 0, "inputTargetGroup", kNone},
        {"inputTargetGroup", "itg", C, kNoNum, kNoData, 0, Array | Affects, "inputTarget", kNone},
        {"baseWeights", "bw", N, MFnNumericData::kDouble, kNoData, 1, Array | Builder | Affects,
         "inputTarget", kNone},
        {"paintTargetWeights", "ptw", N, MFnNumericData::kDouble, kNoData, 1,
         Array | Builder | Internal | Hidden | NotStorable, "inputTarget", kNone},
        {"inputTarget", "it", C, kNoNum, kNoData, 0, Array | Hidden | Affects, "", kNone},
        {"inputRelativePoints", "idp", T, kNoNum, MFnData::kPointArray, 0, Affects, "inputSurfaceGroup",
         kNone},
        {"inputSurfacePoints", "isp", T, kNoNum, MFnData::kPointArray, 0, Affects, "inputSurfaceGroup",
         kNone},
        {"inputSurfaceUV", "isuv", T, kNoNum, MFnData::kDoubleArray, 0, Affects, "inputSurfaceGroup", kNone},
        {"inputSurfaceGroup", "isg", C, kNoNum, kNoData, 0, Array | Builder | Affects, "inputSurface", kNone},
        {"inputTargetSurface", "is", T, kNoNum, MFnData::kNurbsSurface, 0, Affects, "inputSurface", kNone},
        {"inputSurfaceOrigin", "iso", N, MFnNumericData::kInt, kNoData, 1, Affects, "inputSurface", kNone},
        {"inputSurface", "ss", C, kNoNum, kNoData, 0, Array | Affects, "", kNone},
        {"inbetweenTargetName", "itn", T, kNoNum, MFnData::kString, 0, 0, "inbetweenInfo", kNone},
        {"inbetweenInfo", "ii", C, kNoNum, kNoData, 0, Array | Builder, "inbetweenInfoGroup", kNone},
        {"inbetweenInfoGroup", "iig", C, kNoNum, kNoData, 0, Array | Builder | Hidden | Affects, "", kNone},
        {"weight", "wt", N, MFnNumericData::kDouble, kNoData, -9999, Array | Keyable | Affects, "", soft},
        {"precision", "prec", N, MFnNumericData::kDouble, kNoData, 0.001, Affects, "", range(0, 100)},
        {"rebind", "rb", N, MFnNumericData::kBoolean, kNoData, 0, Internal | Affects, "", kNone},
        {"origin", "or", N, MFnNumericData::kInt, kNoData, 1, Affects, "", kNone},
        {"profilingEnabled", "pe", N, MFnNumericData::kBoolean, kNoData, 0, Affects, "", kNone},
        {"profilingSampleRate", "psr", N, MFnNumericData::kInt, kNoData, 30, Affects, "", psr},
        {"paintTargetWeightsIndex", "ptwi", N, MFnNumericData::kInt, kNoData, 0, Internal | Affects, "",
         kNone},
    };
}

std::vector<std::string> childNames(const khost::Attribute* compound) {
    std::vector<std::string> names;
    for (const auto& child : compound->children)
        names.push_back(child->name);
    return names;
}

} // namespace

TEST_F(PluginScene, EveryAttributeHasItsNameTypeDefaultAndFlags) {
    run("createNode kivoMorph -n morph;");
    const khost::NodeClass* cls = node("morph")->cls;
    const khost::Attribute* output = cls->find("outputGeometry");
    ASSERT_NE(output, nullptr);
    std::set<std::string> own;
    for (const Expected& e : schema()) {
        SCOPED_TRACE(e.name);
        own.insert(e.name);
        const khost::Attribute* a = cls->find(e.name);
        ASSERT_NE(a, nullptr);
        EXPECT_EQ(a->shortName, e.shortName);
        // The short name reaches the same attribute through the node's function set.
        MFnDependencyNode fn(node("morph")->handle());
        EXPECT_EQ(khost::attributeOf(fn.attribute(e.shortName)).get(), a);
        EXPECT_EQ(a->kind, e.kind);
        if (e.kind == AttrKind::Numeric) {
            EXPECT_EQ(a->numericType, e.numeric);
            EXPECT_EQ(a->defaultValue, e.defaultValue);
        }
        if (e.kind == AttrKind::Typed) {
            EXPECT_EQ(a->dataType, e.data);
        }
        EXPECT_EQ(a->array, (e.flags & Array) != 0);
        EXPECT_EQ(a->usesArrayDataBuilder, (e.flags & Builder) != 0);
        EXPECT_EQ(a->internal, (e.flags & Internal) != 0);
        EXPECT_EQ(a->hidden, (e.flags & Hidden) != 0);
        EXPECT_EQ(a->storable, (e.flags & NotStorable) == 0);
        EXPECT_EQ(a->keyable, (e.flags & Keyable) != 0);
        EXPECT_TRUE(a->readable && a->writable && a->connectable);
        EXPECT_EQ(a->hasMin, e.limits.hasMin);
        EXPECT_EQ(a->hasMax, e.limits.hasMax);
        EXPECT_EQ(a->hasSoftMin, e.limits.hasSoftMin);
        EXPECT_EQ(a->hasSoftMax, e.limits.hasSoftMax);
        if (e.limits.hasMin) {
            EXPECT_EQ(a->minValue, e.limits.min);
        }
        if (e.limits.hasMax) {
            EXPECT_EQ(a->maxValue, e.limits.max);
        }
        if (e.limits.hasSoftMin) {
            EXPECT_EQ(a->softMinValue, e.limits.softMin);
        }
        if (e.limits.hasSoftMax) {
            EXPECT_EQ(a->softMaxValue, e.limits.softMax);
        }
        EXPECT_EQ(a->disconnectBehavior,
                  std::string(e.name) == "targetOffset" ? MFnAttribute::kReset : MFnAttribute::kNothing);
        EXPECT_EQ(a->parent ? a->parent->name : std::string(), e.parent);
        const auto affected = cls->affects.find(a);
        const bool affects = affected != cls->affects.end() && affected->second.count(output) > 0;
        EXPECT_EQ(affects, (e.flags & Affects) != 0);
    }
    // Nothing beyond the table and the deformer's own attributes.
    for (const auto& a : cls->attributes) {
        const std::string name = a->name;
        EXPECT_TRUE(own.count(name) || name == "input" || name == "inputGeometry" || name == "groupId" ||
                    name == "outputGeometry" || name == "envelope" || name == "weightList" ||
                    name == "weights")
            << name;
    }

    // The target geometry accepts meshes and curves only.
    const khost::Attribute* geomTarget = cls->find("inputGeomTarget");
    EXPECT_TRUE(geomTarget->acceptsData(MFnData::kMesh));
    EXPECT_TRUE(geomTarget->acceptsData(MFnData::kNurbsCurve));
    EXPECT_FALSE(geomTarget->acceptsData(MFnData::kNurbsSurface));

    // Compounds hold their children in this order; positions matter to anything that walks them.
    using Names = std::vector<std::string>;
    EXPECT_EQ(childNames(cls->find("inputTargetItem")),
              (Names{"inputGeomTarget", "inputPointsTarget", "inputUVTarget", "inputPointsIndicesTarget"}));
    EXPECT_EQ(childNames(cls->find("inputTargetGroup")),
              (Names{"inputTargetItem", "targetWeights", "targetWeightLock", "targetWeightNormalization",
                     "targetSurfaceId", "targetBlendLive", "targetBlendUV", "targetBlendBezier",
                     "targetOffset", "targetCurvature", "targetPrecision", "targetRebind", "targetCached"}));
    EXPECT_EQ(childNames(cls->find("inputTarget")),
              (Names{"inputTargetGroup", "baseWeights", "paintTargetWeights"}));
    EXPECT_EQ(childNames(cls->find("inputSurfaceGroup")),
              (Names{"inputRelativePoints", "inputSurfacePoints", "inputSurfaceUV"}));
    EXPECT_EQ(childNames(cls->find("inputSurface")),
              (Names{"inputSurfaceGroup", "inputTargetSurface", "inputSurfaceOrigin"}));
    EXPECT_EQ(childNames(cls->find("inbetweenInfoGroup")), (Names{"inbetweenInfo"}));
    EXPECT_EQ(childNames(cls->find("inbetweenInfo")), (Names{"inbetweenTargetName"}));
}

// The values a user sees on a fresh node, through getAttr on its plugs.
TEST_F(PluginScene, AFreshNodeShowsTheDefaults) {
    run("createNode kivoMorph -n morph;");
    const std::pair<const char*, const char*> defaults[] = {
        {"morph.weight[0]", "-9999"},
        {"morph.wt[7]", "-9999"},
        {"morph.precision", "0.001"},
        {"morph.rebind", "0"},
        {"morph.origin", "1"},
        {"morph.profilingEnabled", "0"},
        {"morph.profilingSampleRate", "30"},
        {"morph.paintTargetWeightsIndex", "0"},
        {"morph.ss[0].iso", "1"},
        {"morph.it[0].bw[3]", "1"},
        {"morph.it[0].itg[0].tw[3]", "1"},
        {"morph.it[0].itg[0].to", "1"},
        {"morph.it[0].itg[0].tc", "1"},
        {"morph.it[0].itg[0].tp", "1"},
        {"morph.it[0].itg[0].tsi", "0"},
        {"morph.it[0].itg[0].tbb", "0"},
        {"morph.it[0].itg[0].tbl", "0"},
        {"morph.it[0].itg[0].tbuv", "0"},
        {"morph.it[0].itg[0].tib", "0"},
        {"morph.it[0].itg[0].trb", "0"},
        {"morph.it[0].itg[0].twl", "0"},
        {"morph.it[0].itg[0].twn", "0"},
        {"morph.envelope", "1"},
    };
    for (const auto& [plugPath, value] : defaults)
        EXPECT_EQ(result(std::string("getAttr ") + plugPath), value) << plugPath;

    // Hard limits clamp; the weight's soft range does not.
    run("setAttr morph.precision 250; setAttr morph.profilingSampleRate 0; setAttr morph.it[0].itg[0].to 3;"
        "setAttr morph.it[0].itg[0].tp -2; setAttr morph.weight[0] 2.5; setAttr morph.weight[1] -0.5;");
    EXPECT_EQ(result("getAttr morph.precision"), "100");
    EXPECT_EQ(result("getAttr morph.profilingSampleRate"), "1");
    EXPECT_EQ(result("getAttr morph.it[0].itg[0].to"), "1");
    EXPECT_EQ(result("getAttr morph.it[0].itg[0].tp"), "0");
    EXPECT_EQ(result("getAttr morph.weight[0]"), "2.5");
    EXPECT_EQ(result("getAttr morph.weight[1]"), "-0.5");
}

// targetOffset returns to its default when its driver is disconnected; other values keep the last
// one they received.
TEST_F(PluginScene, TargetOffsetResetsWhenItsConnectionIsBroken) {
    run("createNode kivoMorph -n morph; createNode transform -n driver;"
        "setAttr driver.tx 0.25; setAttr driver.ty 0.5;"
        "connectAttr driver.tx morph.it[0].itg[0].to; connectAttr driver.ty morph.it[0].itg[0].tc;");
    EXPECT_EQ(result("getAttr morph.it[0].itg[0].to"), "0.25");
    EXPECT_EQ(result("getAttr morph.it[0].itg[0].tc"), "0.5");
    run("disconnectAttr driver.tx morph.it[0].itg[0].to; disconnectAttr driver.ty morph.it[0].itg[0].tc;");
    EXPECT_EQ(result("getAttr morph.it[0].itg[0].to"), "1");
    EXPECT_EQ(result("getAttr morph.it[0].itg[0].tc"), "0.5");
}

// The painting proxy lives in memory only: a scene file keeps the target weights it shows.
TEST_F(PluginScene, SceneFilesKeepTargetWeightsButNotThePaintingProxy) {
    run("polyPlane -w 2 -h 2 -sx 1 -sy 1 -n base; deformer -type kivoMorph -n morph base;"
        "setAttr morph.it[0].itg[0].tw[2] 0.5; setAttr morph.it[0].itg[1].tw[0] 0.125;"
        "setAttr morph.paintTargetWeightsIndex 1; setAttr morph.it[0].ptw[3] 0.25;");
    EXPECT_EQ(result("getAttr morph.it[0].ptw[0]"), "0.125");
    EXPECT_EQ(result("getAttr morph.it[0].itg[1].tw[3]"), "0.25");

    const std::string scene = sceneText();
    EXPECT_EQ(scene.find("].paintTargetWeights["), std::string::npos) << scene;
    for (const char* kept : {"setAttr \"morph.inputTarget[0].inputTargetGroup[0].targetWeights[2]\" 0.5;",
                             "setAttr \"morph.inputTarget[0].inputTargetGroup[1].targetWeights[0]\" 0.125;",
                             "setAttr \"morph.inputTarget[0].inputTargetGroup[1].targetWeights[3]\" 0.25;",
                             "setAttr \"morph.paintTargetWeightsIndex\" 1;"})
        EXPECT_NE(scene.find(kept), std::string::npos) << kept << "\n" << scene;
}
