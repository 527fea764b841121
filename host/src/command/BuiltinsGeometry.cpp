// polyPlane, polyCube, polySphere, nurbsPlane, sphere, circle, curve, deformer.
#include "command/BuiltinSupport.h"
#include "command/CommandRegistry.h"
#include "command/Names.h"
#include "dag/Dag.h"
#include "deformer/GeometryFilter.h"
#include "geometry/Generators.h"
#include <cmath>
#include <maya/MGlobal.h>

namespace khost {

namespace {

double doubleFlag(const MArgDatabase& args, const char* flag, double fallback) {
    double value = fallback;
    args.getFlagArgument(flag, 0, value);
    return value;
}

int intFlag(const MArgDatabase& args, const char* flag, int fallback) {
    int value = fallback;
    args.getFlagArgument(flag, 0, value);
    return value;
}

MVector vectorFlag(const MArgDatabase& args, const char* flag, const MVector& fallback) {
    MVector value = fallback;
    if (args.isFlagSet(flag))
        for (unsigned int k = 0; k < 3; ++k)
            args.getFlagArgument(flag, k, value[k]);
    return value;
}

// Makes the transform and shape; the name from -n, else the command's default ("pCube#").
MStatus makeShape(const MArgDatabase& args, CommandResult& result, UndoRecord& undo, const char* command,
                  const std::string& type, std::shared_ptr<Data> data, const std::string& defaultName) {
    MString name;
    args.getFlagArgument("-n", 0, name);
    std::string wanted = name.length() ? name.asChar() : defaultName;
    auto transform = createShape(undo, type, MObject(std::move(data)), wanted, nullptr, nullptr);
    if (!transform)
        return fail(std::string(command) + ": cannot create the " + type + ".");
    result.append(transform->name);
    return MS::kSuccess;
}

bool positive(double value) {
    return std::isfinite(value) && value > 0.0;
}

bool usableAxis(const MVector& axis) {
    return positive(axis.length());
}

// --- polyPlane / polyCube / polySphere ---

MSyntax polyPlaneSyntax() {
    MSyntax syntax;
    syntax.addFlag("-w", "-width", MSyntax::kDistance);
    syntax.addFlag("-h", "-height", MSyntax::kDistance);
    syntax.addFlag("-sx", "-subdivisionsX", MSyntax::kLong);
    syntax.addFlag("-sy", "-subdivisionsY", MSyntax::kLong);
    syntax.addFlag("-ax", "-axis", MSyntax::kDouble, MSyntax::kDouble, MSyntax::kDouble);
    syntax.addFlag("-n", "-name", MSyntax::kString);
    return syntax;
}

MStatus polyPlane(const MArgDatabase& args, CommandResult& result, UndoRecord& undo) {
    double w = doubleFlag(args, "-w", 1.0), h = doubleFlag(args, "-h", 1.0);
    int sx = intFlag(args, "-sx", 10), sy = intFlag(args, "-sy", 10);
    MVector axis = vectorFlag(args, "-ax", MVector(0, 1, 0));
    if (!positive(w) || !positive(h) || sx < 1 || sy < 1 || sx > 10000 || sy > 10000 || axis.length() == 0.0)
        return fail("polyPlane: sizes must be positive, subdivisions between 1 and 10000, the axis not zero.",
                    MS::kInvalidParameter);
    // The plane faces the axis closest to the one given.
    int dominant = 0;
    for (int k = 1; k < 3; ++k)
        if (std::fabs(axis[static_cast<unsigned>(k)]) > std::fabs(axis[static_cast<unsigned>(dominant)]))
            dominant = k;
    auto data = std::make_shared<MeshData>(makePlane(w, h, sx, sy, dominant));
    return makeShape(args, result, undo, "polyPlane", "mesh", data, "pPlane#");
}

MSyntax polyCubeSyntax() {
    MSyntax syntax;
    syntax.addFlag("-w", "-width", MSyntax::kDistance);
    syntax.addFlag("-h", "-height", MSyntax::kDistance);
    syntax.addFlag("-d", "-depth", MSyntax::kDistance);
    syntax.addFlag("-sx", "-subdivisionsX", MSyntax::kLong);
    syntax.addFlag("-sy", "-subdivisionsY", MSyntax::kLong);
    syntax.addFlag("-sz", "-subdivisionsZ", MSyntax::kLong);
    syntax.addFlag("-n", "-name", MSyntax::kString);
    return syntax;
}

MStatus polyCube(const MArgDatabase& args, CommandResult& result, UndoRecord& undo) {
    double w = doubleFlag(args, "-w", 1.0), h = doubleFlag(args, "-h", 1.0), d = doubleFlag(args, "-d", 1.0);
    int sx = intFlag(args, "-sx", 1), sy = intFlag(args, "-sy", 1), sz = intFlag(args, "-sz", 1);
    if (!positive(w) || !positive(h) || !positive(d) || sx < 1 || sy < 1 || sz < 1 || sx > 1000 ||
        sy > 1000 || sz > 1000)
        return fail("polyCube: sizes must be positive and subdivisions between 1 and 1000.",
                    MS::kInvalidParameter);
    auto data = std::make_shared<MeshData>(makeCube(w, h, d, sx, sy, sz));
    return makeShape(args, result, undo, "polyCube", "mesh", data, "pCube#");
}

MSyntax polySphereSyntax() {
    MSyntax syntax;
    syntax.addFlag("-r", "-radius", MSyntax::kDistance);
    syntax.addFlag("-sx", "-subdivisionsX", MSyntax::kLong);
    syntax.addFlag("-sy", "-subdivisionsY", MSyntax::kLong);
    syntax.addFlag("-n", "-name", MSyntax::kString);
    return syntax;
}

MStatus polySphere(const MArgDatabase& args, CommandResult& result, UndoRecord& undo) {
    double r = doubleFlag(args, "-r", 1.0);
    int sx = intFlag(args, "-sx", 20), sy = intFlag(args, "-sy", 20);
    if (!positive(r) || sx < 3 || sy < 2 || sx > 2000 || sy > 2000)
        return fail(
            "polySphere: the radius must be positive, -sx between 3 and 2000, -sy between 2 and 2000.",
            MS::kInvalidParameter);
    auto data = std::make_shared<MeshData>(makeSphere(r, sx, sy));
    return makeShape(args, result, undo, "polySphere", "mesh", data, "pSphere#");
}

// --- nurbsPlane / sphere ---

MSyntax nurbsPlaneSyntax() {
    MSyntax syntax;
    syntax.addFlag("-w", "-width", MSyntax::kDistance);
    syntax.addFlag("-lr", "-lengthRatio", MSyntax::kDouble);
    syntax.addFlag("-u", "-patchesU", MSyntax::kLong);
    syntax.addFlag("-v", "-patchesV", MSyntax::kLong);
    syntax.addFlag("-d", "-degree", MSyntax::kLong);
    syntax.addFlag("-ax", "-axis", MSyntax::kDouble, MSyntax::kDouble, MSyntax::kDouble);
    syntax.addFlag("-n", "-name", MSyntax::kString);
    return syntax;
}

MStatus nurbsPlane(const MArgDatabase& args, CommandResult& result, UndoRecord& undo) {
    double w = doubleFlag(args, "-w", 1.0), ratio = doubleFlag(args, "-lr", 1.0);
    int patchesU = intFlag(args, "-u", 1), patchesV = intFlag(args, "-v", 1), degree = intFlag(args, "-d", 3);
    MVector axis = vectorFlag(args, "-ax", MVector(0, 1, 0));
    if (!positive(w) || !positive(ratio) || !std::isfinite(w * ratio) || patchesU < 1 || patchesV < 1 ||
        patchesU > 200 || patchesV > 200 || degree < 1 || degree > 7 || !usableAxis(axis))
        return fail("nurbsPlane: the width and length ratio must be positive, -u and -v between 1 and 200, "
                    "-d between 1 and 7, the axis not zero.",
                    MS::kInvalidParameter);
    auto data =
        std::make_shared<NurbsSurfaceData>(makeNurbsPlane(w, ratio, patchesU, patchesV, degree, axis));
    return makeShape(args, result, undo, "nurbsPlane", "nurbsSurface", data, "nurbsPlane#");
}

MSyntax sphereSyntax() {
    MSyntax syntax;
    syntax.addFlag("-r", "-radius", MSyntax::kDistance);
    syntax.addFlag("-s", "-sections", MSyntax::kLong);
    syntax.addFlag("-nsp", "-spans", MSyntax::kLong);
    syntax.addFlag("-d", "-degree", MSyntax::kLong);
    syntax.addFlag("-ax", "-axis", MSyntax::kDouble, MSyntax::kDouble, MSyntax::kDouble);
    syntax.addFlag("-n", "-name", MSyntax::kString);
    return syntax;
}

MStatus sphere(const MArgDatabase& args, CommandResult& result, UndoRecord& undo) {
    double r = doubleFlag(args, "-r", 1.0);
    int sections = intFlag(args, "-s", 8), spans = intFlag(args, "-nsp", 4), degree = intFlag(args, "-d", 3);
    MVector axis = vectorFlag(args, "-ax", MVector(0, 1, 0));
    if (!positive(r) || sections < 3 || sections > 200 || spans < (degree == 1 ? 2 : 1) || spans > 200 ||
        (degree != 1 && degree != 3) || !usableAxis(axis))
        return fail("sphere: the radius must be positive, -s between 3 and 200, -nsp between 1 (2 for degree "
                    "1) and 200, -d 1 or 3, the axis not zero.",
                    MS::kInvalidParameter);
    auto data = std::make_shared<NurbsSurfaceData>(makeNurbsSphere(r, sections, spans, degree, axis));
    return makeShape(args, result, undo, "sphere", "nurbsSurface", data, "nurbsSphere#");
}

// --- circle / curve ---

MSyntax circleSyntax() {
    MSyntax syntax;
    syntax.addFlag("-r", "-radius", MSyntax::kDistance);
    syntax.addFlag("-s", "-sections", MSyntax::kLong);
    syntax.addFlag("-d", "-degree", MSyntax::kLong);
    syntax.addFlag("-nr", "-normal", MSyntax::kDouble, MSyntax::kDouble, MSyntax::kDouble);
    syntax.addFlag("-n", "-name", MSyntax::kString);
    return syntax;
}

MStatus circle(const MArgDatabase& args, CommandResult& result, UndoRecord& undo) {
    double r = doubleFlag(args, "-r", 1.0);
    int sections = intFlag(args, "-s", 8), degree = intFlag(args, "-d", 3);
    MVector normal = vectorFlag(args, "-nr", MVector(0, 0, 1));
    if (!positive(r) || sections < 3 || sections > 10000 || (degree != 1 && degree != 3) ||
        normal.length() == 0.0)
        return fail(
            "circle: the radius must be positive, -s between 3 and 10000, -d 1 or 3, the normal not zero.",
            MS::kInvalidParameter);
    auto data = std::make_shared<NurbsCurveData>(makeCircle(r, sections, degree, normal));
    return makeShape(args, result, undo, "circle", "nurbsCurve", data, "nurbsCircle#");
}

MSyntax curveSyntax() {
    MSyntax syntax;
    syntax.addFlag("-d", "-degree", MSyntax::kLong);
    syntax.addFlag("-p", "-point", MSyntax::kDouble, MSyntax::kDouble, MSyntax::kDouble);
    syntax.makeFlagMultiUse("-p");
    syntax.addFlag("-n", "-name", MSyntax::kString);
    return syntax;
}

MStatus curve(const MArgDatabase& args, CommandResult& result, UndoRecord& undo) {
    int degree = intFlag(args, "-d", 3);
    MPointArray points;
    for (unsigned int i = 0; i < args.numberOfFlagUses("-p"); ++i) {
        MArgList list;
        args.getFlagArgumentList("-p", i, list);
        points.append(MPoint(list.asDouble(0), list.asDouble(1), list.asDouble(2)));
    }
    if (degree < 1 || degree > 7)
        return fail("curve: the degree must be between 1 and 7.", MS::kInvalidParameter);
    if (static_cast<int>(points.length()) < degree + 1)
        return fail("curve: a degree " + std::to_string(degree) + " curve needs at least " +
                        std::to_string(degree + 1) + " points (-p).",
                    MS::kInvalidParameter);
    auto data = std::make_shared<NurbsCurveData>(makeCurve(degree, points));
    return makeShape(args, result, undo, "curve", "nurbsCurve", data, "curve#");
}

// --- deformer ---

MSyntax deformerSyntax() {
    MSyntax syntax;
    syntax.addFlag("-typ", "-type", MSyntax::kString);
    syntax.addFlag("-n", "-name", MSyntax::kString);
    syntax.setObjectType(MSyntax::kSelectionList, 1);
    syntax.useSelectionAsDefault(true);
    return syntax;
}

MStatus deformer(const MArgDatabase& args, CommandResult& result, UndoRecord& undo) {
    MString type, name;
    if (!args.getFlagArgument("-type", 0, type))
        return fail("deformer: the -type flag is required.", MS::kInvalidParameter);
    NodeClass* cls = ClassRegistry::instance().find(type.asChar());
    if (!cls || cls->role != NodeRole::Deformer)
        return fail(std::string("deformer: '") + type.asChar() + "' is not a deformer type.",
                    MS::kInvalidParameter);
    args.getFlagArgument("-n", 0, name);
    MSelectionList items;
    args.getObjects(items);
    std::vector<Node*> shapes;
    for (const MSelectionList::Item& item : items.items()) {
        Node* node = nodeOf(item.node);
        Node* shape = shapeOf(node);
        if (!shape || !item.plug.isNull())
            return fail("deformer: '" + item.text() + "' is not a deformable shape.", MS::kInvalidParameter);
        if (!isTransform(node)) {
            shapes.push_back(shape);
            continue;
        }
        // A transform's every shape is deformed, as in Maya.
        for (Node* child : node->children)
            if (isShape(child) && !isIntermediate(child))
                shapes.push_back(child);
    }
    std::shared_ptr<Node> created;
    std::string wanted = name.length() ? name.asChar() : cls->name + "#";
    MStatus status = insertDeformer(undo, cls, wanted, shapes, &created);
    if (!status || !created)
        return fail(std::string("deformer: cannot add a ") + type.asChar() + " deformer.",
                    status ? MStatus(MS::kFailure) : status);
    result.append(created->name);
    return MS::kSuccess;
}

} // namespace

void registerGeometryCommands() {
    registerBuiltin("polyPlane", polyPlaneSyntax, polyPlane);
    registerBuiltin("polyCube", polyCubeSyntax, polyCube);
    registerBuiltin("polySphere", polySphereSyntax, polySphere);
    registerBuiltin("nurbsPlane", nurbsPlaneSyntax, nurbsPlane);
    registerBuiltin("sphere", sphereSyntax, sphere);
    registerBuiltin("circle", circleSyntax, circle);
    registerBuiltin("curve", curveSyntax, curve);
    registerBuiltin("deformer", deformerSyntax, deformer);
}

} // namespace khost
