#pragma once
// What a geometry function set or iterator works on: a geometry data object, or a shape node whose
// evaluated geometry it reads and whose own geometry it writes.
#include "geometry/GeometryData.h"
#include <maya/MPointArray.h>
#include <maya/MTypes.h>

namespace khost {

class Node;

class GeometryAccess {
public:
    GeometryAccess() = default;
    // kind is MFn::kMesh, MFn::kNurbsCurve or MFn::kNurbsSurface; anything else of the object leaves the
    // access invalid.
    GeometryAccess(const MObject& object, MFn::Type kind);

    bool valid() const { return fData || fShape; }
    // The geometry as it is now; null when a shape has none yet.
    const GeometryData* read() const;
    template <class T> const T* as() const { return dynamic_cast<const T*>(read()); }
    // Local to world: the matrix the data carries, or the shape's world matrix.
    MMatrix matrix() const;
    MStatus getPoints(MPointArray& points, MSpace::Space space) const;
    // Replaces every point; the count must match. The CVs a periodic curve or surface repeats follow
    // the ones they repeat, whatever was given for them.
    MStatus setPoints(const MPointArray& points, MSpace::Space space);
    // Tells whatever depends on a shape that its geometry changed.
    MStatus touch();

private:
    std::shared_ptr<GeometryData> fData;
    std::shared_ptr<Node> fShape;
};

// Puts geometry made by a function set's create(): into parentOrOwner when that is data of the same
// kind (keeping the matrix it carries), else into a new shape under parentOrOwner (a transform) or
// under a new transform. Not undoable, as in Maya: function sets edit the scene directly. Sets
// `attached` to what the function set now works on and returns what create() returns.
MObject placeCreatedGeometry(const std::shared_ptr<GeometryData>& geometry, const MObject& parentOrOwner,
                             const char* shapeType, const char* transformName, MObject& attached,
                             MStatus* status);

} // namespace khost
