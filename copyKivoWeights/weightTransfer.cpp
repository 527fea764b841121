// redoIt: the new weights of the destination target, computed from the scene as it is now, queued on
// the command's modifier and executed, with the time it took.

#include "copyKivoWeights/copyKivoWeights.h"
#include "copyKivoWeights/report.h"

#include "common/elapsed.h"
#include "geometrySearch/mirrorPlane.h"

#include <maya/MFnMesh.h>
#include <maya/MFnNurbsCurve.h>
#include <maya/MGlobal.h>
#include <maya/MItGeometry.h>
#include <maya/MMatrix.h>
#include <maya/MMeshIntersector.h>

namespace {

MStatus positions(const MDagPath& path, MPointArray& points) {
    MStatus status;
    MItGeometry geometry(path, &status);
    if (!status) {
        return status;
    }
    return geometry.allPositions(points, MSpace::kObject);
}

// No points, no weights: copying to or from such a shape would only pretend to work.
MStatus requirePoints(const MDagPath& path, unsigned int count) {
    if (count == 0) {
        MGlobal::displayError("'" + path.partialPathName() + "' has no points.");
        return MS::kFailure;
    }
    return MS::kSuccess;
}

} // namespace

MStatus CopyKivoCommand::redoIt() {
    if (fDestinationGeometryIndex == -1 && fDestinationTargetIndex == -1 && !fDestinationBasePath.isValid()) {
        MGlobal::displayError("Destination data is empty!");
        return MS::kFailure;
    }
    const auto start = std::chrono::steady_clock::now();
    MStatus status = fNoMirror ? copyWeights() : mirrorWeights();
    if (!status) {
        return status;
    }
    status = fModifier.doIt();
    if (!status) {
        return status;
    }
    const char* mode = fNoMirror ? "Copy" : (fFlipWeights ? "Flip" : "Mirror");
    MGlobal::displayInfo(MString(mode) + " weights completed in " + secondsSince(start) + " s");
    return MS::kSuccess;
}

MStatus CopyKivoCommand::copyWeights() {
    const bool mesh = fDestinationBasePath.hasFn(MFn::kMesh);
    if (!mesh && !fDestinationBasePath.hasFn(MFn::kNurbsCurve)) {
        MGlobal::displayError("Unsupported deformer. Only blendShape and kivoMorph are supported.");
        return MS::kFailure;
    }
    MStatus status;
    MPointArray points;
    status = positions(fDestinationBasePath, points);
    COPY_KIVO_CHECK(status);
    MItGeometry source(fSourceBasePath, &status);
    COPY_KIVO_CHECK(status);
    const unsigned int sourceCount = static_cast<unsigned int>(source.count());
    status = requirePoints(fDestinationBasePath, points.length());
    if (status) {
        status = requirePoints(fSourceBasePath, sourceCount);
    }
    if (!status) {
        return status;
    }
    MPlug destinationPlug, sourcePlug;
    status = findTargetWeightsPlug(fDestinationDeformer, fDestinationIsKivo, fDestinationGeometryIndex,
                                   fDestinationTargetIndex, destinationPlug);
    if (status) {
        status = findTargetWeightsPlug(fSourceDeformer, fSourceIsKivo, fSourceGeometryIndex,
                                       fSourceTargetIndex, sourcePlug);
    }
    if (!status) {
        return status;
    }
    std::vector<double> sourceWeights, oldWeights;
    status = readWeights(sourcePlug, sourceCount, sourceWeights);
    if (status) {
        status = readWeights(destinationPlug, points.length(), oldWeights);
    }
    if (!status) {
        return status;
    }

    if (!fClosestPoint) {
        return queueWeights(destinationPlug, oldWeights, copyByIndex(sourceWeights, points.length()));
    }
    if (!mesh) {
        MPointArray sourcePoints;
        status = positions(fSourceBasePath, sourcePoints);
        COPY_KIVO_CHECK(status);
        return queueWeights(destinationPlug, oldWeights,
                            copyFromTwoNearest(points, sourceWeights, sourcePoints));
    }
    MFnMesh sourceMesh(fSourceBasePath, &status);
    COPY_KIVO_CHECK(status);
    MObject sourceObject = fSourceBasePath.node();
    MMeshIntersector intersector;
    status = intersector.create(sourceObject, MMatrix::identity);
    COPY_KIVO_CHECK(status);
    std::vector<MeshSample> samples(points.length());
    for (unsigned int i = 0; i < points.length(); ++i) {
        samples[i] = sampleMesh(intersector, sourceMesh, points[i]);
    }
    return queueWeights(destinationPlug, oldWeights, copyFromSamples(samples, sourceWeights));
}

MStatus CopyKivoCommand::mirrorWeights() {
    const bool mesh = fDestinationBasePath.hasFn(MFn::kMesh);
    if (!mesh && !fDestinationBasePath.hasFn(MFn::kNurbsCurve)) {
        MGlobal::displayError("Unsupported deformer. Only blendShape and kivoMorph are supported.");
        return MS::kFailure;
    }
    MirrorSettings settings;
    settings.axis = mirrorAxis(fMirrorMode);
    settings.closestPoint = fClosestPoint;
    settings.inverse = fMirrorInverse;
    settings.flip = fFlipWeights;
    if (settings.axis < 0) {
        MGlobal::displayError("Invalid mirror mode: " + fMirrorMode);
        return MS::kFailure;
    }
    MStatus status;
    MPointArray points;
    status = positions(fDestinationBasePath, points);
    COPY_KIVO_CHECK(status);
    status = requirePoints(fDestinationBasePath, points.length());
    if (!status) {
        return status;
    }
    MPlug weightsPlug;
    status = findTargetWeightsPlug(fDestinationDeformer, fDestinationIsKivo, fDestinationGeometryIndex,
                                   fDestinationTargetIndex, weightsPlug);
    if (!status) {
        return status;
    }
    std::vector<double> weights;
    status = readWeights(weightsPlug, points.length(), weights);
    if (!status) {
        return status;
    }

    if (!mesh) {
        MFnNurbsCurve curve(fDestinationBasePath, &status);
        COPY_KIVO_CHECK(status);
        return queueWeights(weightsPlug, weights,
                            fClosestPoint ? mirrorCurveByClosestPoint(points, weights, settings)
                                          : mirrorCurveByComponent(curve, points, weights, settings));
    }
    MFnMesh meshFn(fDestinationBasePath, &status);
    COPY_KIVO_CHECK(status);
    if (!fClosestPoint) {
        return queueWeights(weightsPlug, weights, mirrorMeshByComponent(points, weights, settings));
    }
    MObject meshObject = fDestinationBasePath.node();
    MMeshIntersector intersector;
    status = intersector.create(meshObject, MMatrix::identity);
    COPY_KIVO_CHECK(status);
    return queueWeights(weightsPlug, weights,
                        mirrorMeshByClosestPoint(intersector, meshFn, points, weights, settings));
}
