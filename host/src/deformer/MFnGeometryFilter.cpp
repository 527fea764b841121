#include "dag/Dag.h"
#include <algorithm>
#include <maya/MFnGeometryFilter.h>
#include <maya/MPxGeometryFilter.h>

using khost::Node;
using khost::PlugKey;

namespace {

const khost::Attribute* inputGeometryAttribute() {
    return khost::attributeOf(MPxGeometryFilter::inputGeom).get();
}
const khost::Attribute* outputGeometryAttribute() {
    return khost::attributeOf(MPxGeometryFilter::outputGeom).get();
}

bool isGeometryFilter(const Node* node) {
    return node && node->cls->has(outputGeometryAttribute());
}

// Upstream of input[index] through stacked deformers to the shape that provides the geometry.
Node* shapeUpstream(Node* filter, unsigned index) {
    for (int hops = 0; filter && hops < 64; ++hops) {
        auto in = filter->incoming.find(PlugKey{inputGeometryAttribute(), {static_cast<int>(index)}});
        if (in == filter->incoming.end())
            return nullptr;
        Node* source = in->second.node;
        if (khost::isShape(source))
            return source;
        if (!isGeometryFilter(source) || in->second.key.attr != outputGeometryAttribute())
            return nullptr;
        filter = source;
        index = static_cast<unsigned>(in->second.key.indices.back());
    }
    return nullptr;
}

// Downstream of outputGeometry[index] through stacked deformers to the shape it feeds.
Node* shapeDownstream(Node* filter, unsigned index) {
    for (int hops = 0; filter && hops < 64; ++hops) {
        Node* next = nullptr;
        unsigned nextIndex = 0;
        auto range =
            filter->outgoing.equal_range(PlugKey{outputGeometryAttribute(), {static_cast<int>(index)}});
        for (auto it = range.first; it != range.second && !next; ++it) {
            Node* target = it->second.node;
            if (khost::isShape(target) && it->second.key.attr == khost::shapeAttributes(target).input)
                return target;
            if (isGeometryFilter(target) && it->second.key.attr == inputGeometryAttribute()) {
                next = target;
                nextIndex = static_cast<unsigned>(it->second.key.indices.front());
            }
        }
        filter = next;
        index = nextIndex;
    }
    return nullptr;
}

// The logical indices of the geometries the node has outputs or inputs for.
std::vector<unsigned> geometryIndices(Node* filter) {
    std::vector<unsigned> indices;
    for (const auto& out : filter->outgoing)
        if (out.first.attr == outputGeometryAttribute())
            indices.push_back(static_cast<unsigned>(out.first.indices.back()));
    std::sort(indices.begin(), indices.end());
    indices.erase(std::unique(indices.begin(), indices.end()), indices.end());
    return indices;
}

MObject handleOrFail(Node* node, MStatus* status) {
    if (status)
        *status = node ? MS::kSuccess : MS::kFailure;
    return node ? node->handle() : MObject();
}

} // namespace

MFnGeometryFilter::MFnGeometryFilter(MObject& object, MStatus* ReturnStatus) {
    attach(object, ReturnStatus);
}
MFnGeometryFilter::MFnGeometryFilter(const MObject& object, MStatus* ReturnStatus) {
    attach(object, ReturnStatus);
}

unsigned int MFnGeometryFilter::indexForOutputShape(const MObject& shape, MStatus* ReturnStatus) const {
    Node* filter = khost::nodeOf(fObject);
    Node* target = khost::nodeOf(shape);
    if (filter && target)
        for (unsigned index : geometryIndices(filter))
            if (shapeDownstream(filter, index) == target) {
                if (ReturnStatus)
                    *ReturnStatus = MS::kSuccess;
                return index;
            }
    if (ReturnStatus)
        *ReturnStatus = MS::kFailure;
    return 0;
}

MObject MFnGeometryFilter::inputShapeAtIndex(unsigned int index, MStatus* ReturnStatus) const {
    return handleOrFail(shapeUpstream(khost::nodeOf(fObject), index), ReturnStatus);
}

MObject MFnGeometryFilter::outputShapeAtIndex(unsigned int index, MStatus* ReturnStatus) const {
    return handleOrFail(shapeDownstream(khost::nodeOf(fObject), index), ReturnStatus);
}

MStatus MFnGeometryFilter::getInputGeometry(MObjectArray& geomList) const {
    geomList.clear();
    Node* filter = khost::nodeOf(fObject);
    if (!filter)
        return MS::kInvalidParameter;
    for (unsigned index : geometryIndices(filter))
        if (Node* shape = shapeUpstream(filter, index))
            geomList.append(shape->handle());
    return MS::kSuccess;
}

MStatus MFnGeometryFilter::getOutputGeometry(MObjectArray& geomList) const {
    geomList.clear();
    Node* filter = khost::nodeOf(fObject);
    if (!filter)
        return MS::kInvalidParameter;
    for (unsigned index : geometryIndices(filter))
        if (Node* shape = shapeDownstream(filter, index))
            geomList.append(shape->handle());
    return MS::kSuccess;
}
