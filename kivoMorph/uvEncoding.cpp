// UV targets encoded against a surface binding: each target point becomes the change of its closest
// surface parameter (clamped to the knot domain) and of its offset in the surface frame, both measured
// against the bound base point. Used by the target delta cache and by live UV targets.

#include "kivoMorph/kivoMorph.h"
#include "kivoMorph/report.h"
#include "kivoMorph/surfaceFrame.h"

#include <maya/MArrayDataHandle.h>
#include <maya/MGlobal.h>

#include <algorithm>
#include <cfloat>

MStatus KivoMorph::openUvEncoder(const EncodeContext& context, UvEncoder& encoder) {
    MStatus status;
    MArrayDataHandle& surfaces = *context.surfaces;
    MDataHandle element = surfaces.inputValue(&status);
    KIVO_MORPH_CHECK(status, "");
    const int surfaceOrigin = element.child(inputSurfaceOrigin).asInt();
    if (!attachSurface(surfaces, surfaceOrigin, encoder.surface)) {
        status = MS::kFailure;
        KIVO_MORPH_CHECK(status, "");
    }
    KnotDomain& domain = encoder.domain;
    status = encoder.surface.getKnotDomain(domain.uStart, domain.uEnd, domain.vStart, domain.vEnd);
    KIVO_MORPH_CHECK(status, "");
    // A surface the binding passed over (no area, or numbers that are not finite) binds nothing, and
    // there is nothing to search it for.
    encoder.binding = surfaceBinding(encoder.surfaceId, context.geometry);
    if (encoder.binding == nullptr) {
        return MS::kSuccess;
    }
    MObject surfaceObject = encoder.surface.object();
    status = encoder.intersector.create(surfaceObject, MMatrix::identity);
    KIVO_MORPH_CHECK(status, "");
    return status;
}

KivoMorph::UvEncoding KivoMorph::encodeUvDelta(const MPoint& target, unsigned int i, const UvEncoder& encoder,
                                               TargetItemCache& item) {
    const SurfaceBinding& binding = *encoder.binding;
    if (i >= binding.relativePoints.length() || !binding.bound[i]) {
        return UvEncoding::Nothing;
    }
    MPointOnNurbs closest;
    if (!encoder.intersector.getClosestPoint(target, closest, DBL_MAX)) {
        return UvEncoding::SearchFailed;
    }
    double u = 0.0, v = 0.0;
    closest.getUV(u, v);
    const MVector offset = target - closest.getPoint();
    const KnotDomain& domain = encoder.domain;
    u = clampParameter(u, domain.uStart, domain.uEnd);
    v = clampParameter(v, domain.vStart, domain.vEnd);
    MVector dU, dV;
    SurfaceFrame frame;
    if (!encoder.surface.getTangents(u, v, dU, dV, MSpace::kObject) ||
        !normalizedSurfaceFrame(dU, dV, frame)) {
        return UvEncoding::NoFrame;
    }
    const MVector local = localOffset(offset, frame);
    const MPoint& bound = binding.relativePoints[i];
    item.indices.append(static_cast<int>(i));
    item.deltas.append(MPoint(local.x - bound.x, local.y - bound.y, local.z - bound.z));
    item.uvDeltas.append(u - binding.u[i]);
    item.uvDeltas.append(v - binding.v[i]);
    return UvEncoding::Entry;
}

void KivoMorph::encodeUvItem(const MPointArray& basePoints, const MPointArray& targetPoints, double tol,
                             bool keepAll, const UvEncoder& encoder, const ItemKey& key,
                             TargetItemCache& item) {
    item.indices.clear();
    item.deltas.clear();
    item.uvDeltas.clear();
    const unsigned int baseCount = basePoints.length();
    const unsigned int targetCount = targetPoints.length();
    if (targetCount < baseCount) {
        warnShortTarget(key, targetCount, baseCount);
    } else {
        fShortTargetsWarned.erase(key);
    }
    unsigned int searchFailed = 0, noFrame = 0;
    const unsigned int count = std::min(baseCount, targetCount);
    for (unsigned int i = 0; i < count; ++i) {
        const MPoint& target = targetPoints[i];
        if (!keepAll && (target - basePoints[i]).isEquivalent(MVector::zero, tol)) {
            continue;
        }
        switch (encodeUvDelta(target, i, encoder, item)) {
        case UvEncoding::SearchFailed:
            ++searchFailed;
            break;
        case UvEncoding::NoFrame:
            ++noFrame;
            break;
        default:
            break;
        }
    }
    // Left out rather than encoded from a frame that does not exist or a point that was not found; a
    // live target would repeat the warnings at every evaluation, so they come once.
    if (noFrame == 0) {
        fNoFrameWarned.erase(key);
    } else if (fNoFrameWarned.insert(key).second) {
        MGlobal::displayWarning(MString("KivoMorph '") + name() + "': " + itemPath(key) + ": " + noFrame +
                                " target points lie where the surface has no frame; they are left out.");
    }
    if (searchFailed > 0 && fSearchFailedWarned.insert(encoder.surfaceId).second) {
        MGlobal::displayWarning(MString("KivoMorph '") + name() + "': no closest point on inputSurface[" +
                                encoder.surfaceId + "] was found for " + searchFailed + " target points of " +
                                itemPath(key) + "; they are left out.");
    }
}

MStatus KivoMorph::liveUvTargetDeltas(MArrayDataHandle& items, const EncodeContext& context,
                                      unsigned int target, unsigned int itemIndex,
                                      double targetPrecisionValue, UvTarget& uvTarget,
                                      TargetItemCache& item) {
    MStatus status;
    item.indices.clear();
    item.deltas.clear();
    item.uvDeltas.clear();
    MPointArray targetPoints;
    status = liveTargetPoints(items, context, targetPoints);
    if (!status) {
        return status;
    }
    if (surfaceBinding(uvTarget.surfaceId, context.geometry) == nullptr) {
        return MS::kFailure;
    }
    status = context.surfaces->jumpToElement(uvTarget.surfaceId);
    KIVO_MORPH_CHECK(status, "");
    UvEncoder encoder;
    encoder.surfaceId = uvTarget.surfaceId;
    status = openUvEncoder(context, encoder);
    if (!status) {
        return status;
    }
    // The evaluation that follows works on the same surface.
    status = uvTarget.surface.setObject(encoder.surface.object());
    KIVO_MORPH_CHECK(status, "");
    encodeUvItem(context.basePoints, targetPoints, targetPrecisionValue * context.precision, false, encoder,
                 ItemKey(context.geometry, target, itemIndex), item);

    MDataHandle itemOut = items.outputValue(&status);
    KIVO_MORPH_CHECK(status, "");
    return writeItemArrays(itemOut, item, true);
}
