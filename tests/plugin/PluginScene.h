#pragma once
// A fresh scene with the kivoMorph plug-in loaded, and ways to build targets and read points.
#include "dag/Dag.h"
#include "host/CommandFixture.h"
#include "io/SceneWriter.h"
#include "plugin/PluginLoader.h"
#include <cmath>
#include <maya/MPointArray.h>
#include <sstream>

class PluginScene : public CommandTest {
protected:
    void SetUp() override {
        CommandTest::SetUp();
        ASSERT_TRUE(khost::loadPluginModule(KIVO_PLUGIN_DIR "/kivoMorph.so"));
        khost::Messages::instance().clear();
    }

    // Object-space (or world-space) points of a shape, or of the first shape under a transform.
    static MPointArray points(const std::string& name, MSpace::Space space = MSpace::kObject) {
        MPointArray result;
        khost::Node* n = node(name);
        EXPECT_NE(n, nullptr) << name;
        if (n) {
            EXPECT_TRUE(khost::getShapePoints(khost::shapeOf(n), result, space)) << name;
        }
        return result;
    }

    // Messages of one kind with exactly this text.
    static size_t count(khost::Message::Kind kind, const std::string& text) {
        return khost::Messages::instance().count(kind, text);
    }
    static void clearMessages() { khost::Messages::instance().clear(); }

public:
    // "setAttr -type Int32Array/pointArray" text for one item's stored arrays.
    static std::string itemArrays(const std::string& item, const std::vector<int>& indices,
                                  const std::vector<MVector>& deltas) {
        std::ostringstream out;
        out << "setAttr " << item << ".inputPointsIndicesTarget -type \"Int32Array\" " << indices.size();
        for (int i : indices)
            out << " " << i;
        out << ";\nsetAttr " << item << ".inputPointsTarget -type \"pointArray\" " << deltas.size();
        for (const MVector& d : deltas)
            out << " " << d.x << " " << d.y << " " << d.z << " 1";
        out << ";\n";
        return out.str();
    }
};

// Points compare within float precision: the weight products are single precision.
#define EXPECT_POINT_NEAR(p, ex, ey, ez)                                                                     \
    do {                                                                                                     \
        const MPoint _p = (p);                                                                               \
        EXPECT_NEAR(_p.x, (ex), 1e-6);                                                                       \
        EXPECT_NEAR(_p.y, (ey), 1e-6);                                                                       \
        EXPECT_NEAR(_p.z, (ez), 1e-6);                                                                       \
    } while (0)
