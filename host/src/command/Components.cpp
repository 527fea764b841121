#include "command/Components.h"
#include "dag/Dag.h"

namespace khost {

Node* componentShape(Node* node, const std::string& kind) {
    Node* shape = shapeOf(node);
    if (!shape)
        return nullptr;
    const MFn::Type type = shape->cls->apiType;
    const bool fits = kind == "vtx"
                          ? type == MFn::kMesh
                          : kind == "cv" && (type == MFn::kNurbsCurve || type == MFn::kNurbsSurface);
    return fits ? shape : nullptr;
}

unsigned int componentCount(Node* shape) {
    GeometryData* geometry = shapeGeometry(shape);
    return geometry ? geometry->distinctPointCount() : 0;
}

bool surfaceComponentGrid(Node* shape, unsigned int& rows, unsigned int& columns, unsigned int& stride) {
    const auto* surface = dynamic_cast<const NurbsSurfaceData*>(shapeGeometry(shape));
    if (!surface || !surface->isConsistent())
        return false;
    const auto distinct = [](int count, int degree, MFnNurbsSurface::Form form) {
        return static_cast<unsigned int>(form == MFnNurbsSurface::kPeriodic ? count - degree : count);
    };
    rows = distinct(surface->numCVsU(), surface->degreeU, surface->formU);
    columns = distinct(surface->numCVsV(), surface->degreeV, surface->formV);
    stride = static_cast<unsigned int>(surface->numCVsV());
    return true;
}

} // namespace khost
