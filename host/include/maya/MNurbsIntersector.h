#pragma once
#include <cfloat>
#include <maya/MMatrix.h>
#include <maya/MObject.h>
#include <maya/MPoint.h>
#include <maya/MStatus.h>
#include <memory>

namespace khost {
class SurfaceProjector;
}

// A point found on a NURBS surface: the point, in the space given to MNurbsIntersector::create, and
// its surface parameters.
class MPointOnNurbs {
public:
    MPointOnNurbs() = default;
    MPoint& getPoint();
    void getUV(double& u, double& v) const;

    // Host side only.
    MPointOnNurbs(const MPoint& point, double u, double v) : fPoint(point), fU(u), fV(v) {}

private:
    MPoint fPoint;
    double fU = 0.0;
    double fV = 0.0;
};

// Closest-point queries on one NURBS surface, prepared once by create() and then answered for any
// number of points. The surface is taken through the matrix given to create(); the queries and the
// points found are in that space.
class MNurbsIntersector {
public:
    MNurbsIntersector(void);
    virtual ~MNurbsIntersector(void);

    // Fails for an object that is not a NURBS surface, and for a surface with numbers that are not
    // finite or with a knot domain of zero length.
    MStatus create(MObject& nurbsObject, const MMatrix& matrix = MMatrix::identity);
    bool isCreated(void) const;
    // The true closest point of the surface; fails when the intersector was not created, the point is
    // not finite, the search does not settle, or the closest point is farther than maxDistance.
    MStatus getClosestPoint(const MPoint& point, MPointOnNurbs& nurbsPoint,
                            double maxDistance = DBL_MAX) const;

private:
    std::shared_ptr<const khost::SurfaceProjector> fProjector;
};
