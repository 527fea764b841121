// What the command finds in the scene: deformable shapes, the kivoMorph deformer upstream of an
// object, nodes by name, matching shapes, geometry and target indices, and the names it gives.

#include "kivoMorphCommand/kivoMorphCommand.h"
#include "kivoMorphCommand/report.h"

#include "common/nodeType.h"
#include "common/weightNames.h"

#include <maya/MFnDagNode.h>
#include <maya/MFnDependencyNode.h>
#include <maya/MFnGeometryFilter.h>
#include <maya/MFnMesh.h>
#include <maya/MFnNurbsCurve.h>
#include <maya/MGlobal.h>
#include <maya/MIntArray.h>
#include <maya/MItDag.h>
#include <maya/MItDependencyGraph.h>
#include <maya/MPlug.h>
#include <maya/MPlugArray.h>
#include <maya/MStringArray.h>

#include <algorithm>
#include <cctype>

namespace {

bool isDeformableShape(const MObject& node) {
    if (!node.hasFn(MFn::kMesh) && !node.hasFn(MFn::kNurbsCurve)) {
        return false;
    }
    MFnDagNode dagNode(node);
    const MString type = dagNode.typeName();
    return !dagNode.isIntermediateObject() && (type == "mesh" || type == "nurbsCurve");
}

bool isKivoMorph(const MObject& node) {
    return MFnDependencyNode(node).typeId() == kKivoMorphTypeId;
}

// body -> body1, body9 -> body10, body007 -> body8: the trailing number plus one, in decimal
// digits so that no run of digits is too long for it.
MString successor(const MString& name) {
    const std::string text = name.asChar();
    size_t digits = text.size();
    while (digits > 0 && std::isdigit(static_cast<unsigned char>(text[digits - 1]))) {
        --digits;
    }
    if (digits == text.size()) {
        return name + "1";
    }
    std::string number = text.substr(digits);
    number.erase(0, std::min(number.find_first_not_of('0'), number.size()));
    size_t k = number.size();
    while (k > 0 && number[k - 1] == '9') {
        number[--k] = '0';
    }
    if (k == 0) {
        number.insert(number.begin(), '1');
    } else {
        ++number[k - 1];
    }
    return MString((text.substr(0, digits) + number).c_str());
}

// What follows the last "|", then what follows the last ":".
MString shortName(const MString& pathName) {
    std::string text = pathName.asChar();
    text = text.substr(text.rfind('|') == std::string::npos ? 0 : text.rfind('|') + 1);
    text = text.substr(text.rfind(':') == std::string::npos ? 0 : text.rfind(':') + 1);
    return MString(text.c_str());
}

} // namespace

std::vector<MDagPath> KivoMorphCommand::deformableShapes(const MObject& object) {
    std::vector<MDagPath> shapes;
    if (!object.hasFn(MFn::kDagNode)) {
        return shapes;
    }
    MItDag it;
    if (!it.reset(object, MItDag::kDepthFirst)) {
        return shapes;
    }
    for (; !it.isDone(); it.next()) {
        if (isDeformableShape(it.currentItem())) {
            MDagPath path;
            it.getPath(path);
            shapes.push_back(path);
        }
    }
    return shapes;
}

MStatus KivoMorphCommand::findDeformer(const MObject& object, MObject& deformer) {
    if (!object.hasFn(MFn::kDagNode)) {
        if (isKivoMorph(object)) {
            deformer = object;
            return MS::kSuccess;
        }
        return MS::kFailure;
    }
    MObject shape = object;
    if (object.hasFn(MFn::kTransform)) {
        MFnDagNode transform(object);
        if (transform.childCount() == 0) {
            return MS::kFailure;
        }
        shape = transform.child(0);
    }
    if (!shape.hasFn(MFn::kMesh) && !shape.hasFn(MFn::kNurbsCurve)) {
        return MS::kFailure;
    }
    MStatus status;
    MItDependencyGraph it(shape, MFn::kInvalid, MItDependencyGraph::kUpstream,
                          MItDependencyGraph::kDepthFirst, MItDependencyGraph::kNodeLevel, &status);
    KIVO_COMMAND_CHECK(status);
    for (; !it.isDone(); it.next()) {
        if (isKivoMorph(it.currentItem())) {
            deformer = it.currentItem();
            return MS::kSuccess;
        }
    }
    return MS::kFailure;
}

MStatus KivoMorphCommand::nodeByName(const MString& name, MObject& node) {
    MSelectionList found;
    found.add(name);
    if (found.length() == 0) {
        MGlobal::displayError(" Found 0 matches for '" + name + "'");
        return MS::kFailure;
    }
    if (found.length() > 1) {
        MGlobal::displayError(" Found >1 matches for '" + name + "'");
        return MS::kFailure;
    }
    MDagPath path;
    if (!found.getDagPath(0, path)) {
        MGlobal::displayError(" '" + name + "' not a DAG item.");
        return MS::kFailure;
    }
    node = path.node();
    return MS::kSuccess;
}

bool KivoMorphCommand::shapesMatch(const MDagPath& target, const MDagPath& base) {
    if (target.hasFn(MFn::kMesh) && base.hasFn(MFn::kMesh)) {
        return MFnMesh(target).numVertices() == MFnMesh(base).numVertices();
    }
    if (target.hasFn(MFn::kNurbsCurve) && base.hasFn(MFn::kNurbsCurve)) {
        return MFnNurbsCurve(target).numCVs() == MFnNurbsCurve(base).numCVs();
    }
    return false;
}

MStatus KivoMorphCommand::geometryIndex(const MDagPath& baseShape, unsigned int& index) const {
    MStatus status;
    MFnGeometryFilter filter(fDeformer);
    index = filter.indexForOutputShape(baseShape.node(), &status);
    if (status) {
        return status;
    }
    // Otherwise the shape's geometry input among the destinations of the outputs.
    const MPlug input = MFnDependencyNode(baseShape.node())
                            .findPlug(baseShape.hasFn(MFn::kMesh) ? "inMesh" : "create", false, &status);
    KIVO_COMMAND_CHECK(status);
    MPlug outputs = deformerPlug(MFnDependencyNode(fDeformer).attribute("outputGeom"));
    const unsigned int count = outputs.numElements();
    for (unsigned int p = 0; p < count; ++p) {
        const MPlug output = outputs.elementByPhysicalIndex(p);
        MPlugArray destinations;
        output.connectedTo(destinations, false, true);
        for (unsigned int d = 0; d < destinations.length(); ++d) {
            if (destinations[d] == input) {
                index = output.logicalIndex();
                return MS::kSuccess;
            }
        }
    }
    return MS::kFailure;
}

MStatus KivoMorphCommand::targetIndexByName(const MString& name, unsigned int& index) const {
    return weightIndexByName(deformerPlug(MFnDependencyNode(fDeformer).attribute("weight")), name, index);
}

MStatus KivoMorphCommand::targetName(unsigned int index, MString& name) const {
    MPlug weights = deformerPlug(MFnDependencyNode(fDeformer).attribute("weight"));
    MIntArray existing;
    weights.getExistingArrayAttributeIndices(existing);
    for (unsigned int k = 0; k < existing.length(); ++k) {
        if (static_cast<unsigned int>(existing[k]) == index) {
            name = weights.elementByLogicalIndex(index).partialName(false, false, false, true, false, true);
            return MS::kSuccess;
        }
    }
    return MS::kFailure;
}

bool KivoMorphCommand::itemExists(unsigned int target, unsigned int item) const {
    MFnDependencyNode node(fDeformer);
    MPlug inputs = deformerPlug(node.attribute("inputTarget"));
    MIntArray geometries;
    inputs.getExistingArrayAttributeIndices(geometries);
    for (unsigned int g = 0; g < geometries.length(); ++g) {
        MPlug groups = inputs.elementByLogicalIndex(static_cast<unsigned int>(geometries[g]))
                           .child(node.attribute("inputTargetGroup"));
        MIntArray targets;
        groups.getExistingArrayAttributeIndices(targets);
        for (unsigned int t = 0; t < targets.length(); ++t) {
            if (static_cast<unsigned int>(targets[t]) != target) {
                continue;
            }
            MPlug items = groups.elementByLogicalIndex(target).child(node.attribute("inputTargetItem"));
            MIntArray indices;
            items.getExistingArrayAttributeIndices(indices);
            for (unsigned int i = 0; i < indices.length(); ++i) {
                if (static_cast<unsigned int>(indices[i]) == item) {
                    return true;
                }
            }
        }
    }
    return false;
}

MPlug KivoMorphCommand::deformerPlug(const MObject& attribute) const {
    return MPlug(fDeformer, attribute);
}

MString KivoMorphCommand::claimAlias(const MDagPath& path) {
    const MString name = uniqueName(path);
    fQueuedAliases.insert(name.asChar());
    return name;
}

MString KivoMorphCommand::uniqueName(const MDagPath& path) const {
    MString name = shortName(path.partialPathName());
    MStringArray aliases;
    MFnDependencyNode(fDeformer).getAliasList(aliases);
    const auto taken = [&](const MString& candidate) {
        for (unsigned int k = 0; k < aliases.length(); k += 2) {
            if (aliases[k] == candidate) {
                return true;
            }
        }
        return fQueuedAliases.count(candidate.asChar()) > 0;
    };
    while (taken(name)) {
        name = successor(name);
    }
    return name;
}
