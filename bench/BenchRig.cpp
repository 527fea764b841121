#include "BenchRig.h"

#include "command/Script.h"
#include "command/UndoQueue.h"
#include "core/HostInit.h"
#include "core/Messages.h"
#include "dag/Dag.h"
#include "dg/Scene.h"
#include "plugin/PluginLoader.h"

#include <maya/MFnDependencyNode.h>
#include <maya/MFnIntArrayData.h>
#include <maya/MFnPointArrayData.h>

#include <random>
#include <sys/resource.h>

namespace bench {

namespace {

khost::Node* shapeNamed(const std::string& transform) {
    return khost::shapeOf(khost::Scene::instance().findNode(transform));
}

// Moves a random share of the points of a target by up to one unit; they stay in ascending order.
void sculpt(const std::string& transform, double share, std::mt19937& random) {
    khost::Node* shape = shapeNamed(transform);
    MPointArray points;
    khost::getShapePoints(shape, points, MSpace::kObject);
    std::bernoulli_distribution moved(share);
    std::uniform_real_distribution<double> offset(-1.0, 1.0);
    for (unsigned int i = 0; i < points.length(); ++i)
        if (moved(random))
            points[i] += MVector(offset(random), offset(random), offset(random));
    khost::UndoRecord unrecorded;
    khost::setShapePoints(unrecorded, shape, points, MSpace::kObject);
}

std::string item(unsigned int target) {
    return "it[0].itg[" + std::to_string(target) + "].iti[6000]";
}

} // namespace

bool freshScene() {
    khost::initializeHost();
    khost::Scene::instance().clear();
    khost::UndoQueue::instance().flush();
    khost::Messages::instance().clear();
    return khost::loadPluginModule(KIVO_PLUGIN_DIR "/kivoMorph.so");
}

MPlug plugOf(const std::string& node, const std::string& attribute) {
    return MFnDependencyNode(khost::Scene::instance().findNode(node)->handle())
        .findPlug(attribute.c_str(), true);
}

unsigned int buildRig(const RigShape& shape) {
    const std::string side = std::to_string(shape.side);
    khost::executeStatement("polyPlane -w 10 -h 10 -sx " + side + " -sy " + side + " -n base");
    std::mt19937 random(shape.seed);
    for (unsigned int t = 0; t < shape.targets && shape.connectGeometry; ++t) {
        const std::string name = "tgt" + std::to_string(t);
        khost::executeStatement("duplicate -n " + name + " base");
        sculpt(name, shape.movedShare, random);
    }
    khost::executeStatement("deformer -type kivoMorph -n morph base");
    const unsigned int count = evaluate().length();
    for (unsigned int t = 0; t < shape.targets; ++t) {
        if (shape.connectGeometry) {
            const std::string shape = shapeNamed("tgt" + std::to_string(t))->name;
            khost::executeStatement("connectAttr " + shape + ".worldMesh[0] morph." + item(t) + ".igt");
            continue;
        }
        std::bernoulli_distribution moved(shape.movedShare);
        std::uniform_real_distribution<double> offset(-1.0, 1.0);
        MIntArray indices;
        MPointArray deltas;
        for (unsigned int i = 0; i < count; ++i)
            if (moved(random)) {
                indices.append(static_cast<int>(i));
                deltas.append(MPoint(offset(random), offset(random), offset(random)));
            }
        setStoredArrays(t, indices, deltas);
    }
    if (shape.connectGeometry && shape.targets > 0) {
        plugOf("morph", "rebind").setBool(true);
        evaluate();
    }
    khost::UndoQueue::instance().flush();
    khost::Messages::instance().clear();
    return count;
}

const MPointArray& evaluate() {
    static MPointArray points;
    khost::getShapePoints(shapeNamed("base"), points, MSpace::kObject);
    return points;
}

MIntArray storedIndices(unsigned int target) {
    return MFnIntArrayData(plugOf("morph", item(target) + ".ipit").asMObject()).array();
}

MPointArray storedDeltas(unsigned int target) {
    return MFnPointArrayData(plugOf("morph", item(target) + ".ipt").asMObject()).array();
}

void setStoredArrays(unsigned int target, const MIntArray& indices, const MPointArray& deltas) {
    MFnIntArrayData indexData;
    MFnPointArrayData deltaData;
    plugOf("morph", item(target) + ".ipit").setMObject(indexData.create(indices));
    plugOf("morph", item(target) + ".ipt").setMObject(deltaData.create(deltas));
}

double peakResidentBytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) * 1024.0;
}

} // namespace bench
