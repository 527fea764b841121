#include "command/Components.h"
#include "dag/Dag.h"

namespace khost {

Node* componentShape(Node* node, const std::string& kind) {
    Node* shape = shapeOf(node);
    if (!shape)
        return nullptr;
    MFn::Type wanted = kind == "vtx" ? MFn::kMesh : kind == "cv" ? MFn::kNurbsCurve : MFn::kInvalid;
    return shape->cls->apiType == wanted && wanted != MFn::kInvalid ? shape : nullptr;
}

unsigned int componentCount(Node* shape) {
    GeometryData* geometry = shapeGeometry(shape);
    return geometry ? geometry->distinctPointCount() : 0;
}

} // namespace khost
