// The surface binding cache: every point of every geometry bound to every connected NURBS surface by
// its closest surface parameter (clamped to the knot domain) and its offset in the surface frame
// there. Kept in the node for the CPU and written into the inputSurfaceGroup attributes for the GPU
// override.

#include "kivoMorph/kivoMorph.h"
#include "kivoMorph/report.h"
#include "kivoMorph/surfaceFrame.h"

#include <maya/MArrayDataBuilder.h>
#include <maya/MArrayDataHandle.h>
#include <maya/MFnDoubleArrayData.h>
#include <maya/MFnPointArrayData.h>
#include <maya/MGlobal.h>
#include <maya/MNurbsIntersector.h>

#include <cfloat>

bool KivoMorph::attachSurface(MArrayDataHandle& surfaces, int surfaceOrigin, MFnNurbsSurface& surfaceFn) {
    MStatus status;
    MDataHandle element = surfaces.inputValue(&status);
    if (!status) {
        return false;
    }
    MDataHandle surfaceHandle = element.child(inputTargetSurface);
    if (surfaceHandle.data().isNull()) {
        return false;
    }
    MObject surface =
        surfaceOrigin == 0 ? surfaceHandle.asNurbsSurfaceTransformed() : surfaceHandle.asNurbsSurface();
    return !surface.isNull() && surfaceFn.setObject(surface);
}

const SurfaceBinding* KivoMorph::surfaceBinding(unsigned int surface, unsigned int geometry) const {
    const auto found = fSurfaceBindings.find(surface);
    if (found == fSurfaceBindings.end() || geometry >= found->second.size() || !found->second[geometry]) {
        return nullptr;
    }
    return &*found->second[geometry];
}

void KivoMorph::bindGeometry(const EncodeContext& geometry, const MFnNurbsSurface& surface,
                             const KnotDomain& domain, const MNurbsIntersector& intersector,
                             SurfaceBinding& binding, unsigned int& unbound) {
    const unsigned int count = geometry.basePoints.length();
    binding.u.reserve(count);
    binding.v.reserve(count);
    binding.bound.reserve(count);
    for (unsigned int i = 0; i < count; ++i) {
        const MPoint& x = geometry.basePoints[i];
        MPointOnNurbs closest;
        MPoint s;
        MVector dU, dV;
        SurfaceFrame frame;
        bool bound = intersector.getClosestPoint(x, closest, DBL_MAX);
        double u = domain.uStart, v = domain.vStart;
        MVector offset;
        if (bound) {
            closest.getUV(u, v);
            offset = x - closest.getPoint();
            u = clampParameter(u, domain.uStart, domain.uEnd);
            v = clampParameter(v, domain.vStart, domain.vEnd);
            // The frame is taken at the clamped parameter while the offset comes from the closest
            // point itself, exactly as the encoding and the evaluation measure it.
            bound = surface.getDerivativesAtParm(u, v, s, dU, dV, MSpace::kObject) &&
                    normalizedSurfaceFrame(dU, dV, frame);
        }
        // A point that cannot be bound keeps its place: no offset, and the point itself.
        if (!bound) {
            ++unbound;
            u = domain.uStart;
            v = domain.vStart;
            offset = MVector();
            s = x;
        }
        const MVector local = bound ? localOffset(offset, frame) : MVector();
        binding.relativePoints.append(MPoint(local.x, local.y, local.z));
        binding.surfacePoints.append(s + offset);
        binding.u.push_back(u);
        binding.v.push_back(v);
        binding.bound.push_back(bound);
    }
}

MStatus KivoMorph::writeSurfaceChildren(MDataHandle& element, const SurfaceBinding& binding) {
    MStatus status;
    MDoubleArray pairs(static_cast<unsigned int>(2 * binding.u.size()));
    for (size_t i = 0; i < binding.u.size(); ++i) {
        pairs[static_cast<unsigned int>(2 * i)] = binding.u[i];
        pairs[static_cast<unsigned int>(2 * i + 1)] = binding.v[i];
    }
    MFnPointArrayData relativeFn, surfaceFn;
    MFnDoubleArrayData uvFn;
    status =
        storeClean(element.child(inputRelativePoints), relativeFn.create(binding.relativePoints, &status));
    KIVO_MORPH_CHECK(status, "");
    status = storeClean(element.child(inputSurfacePoints), surfaceFn.create(binding.surfacePoints, &status));
    KIVO_MORPH_CHECK(status, "");
    status = storeClean(element.child(inputSurfaceUV), uvFn.create(pairs, &status));
    KIVO_MORPH_CHECK(status, "");
    return status;
}

MStatus KivoMorph::writeSurfaceGroup(MArrayDataHandle& surfaceArray, unsigned int geometry,
                                     const SurfaceBinding& binding) {
    MStatus status;
    MDataHandle surfaceElement = surfaceArray.outputValue(&status);
    KIVO_MORPH_CHECK(status, "");
    MArrayDataHandle groupArray(surfaceElement.child(inputSurfaceGroup), &status);
    KIVO_MORPH_CHECK(status, "");
    if (groupArray.jumpToElement(geometry)) {
        MDataHandle element = groupArray.outputValue(&status);
        KIVO_MORPH_CHECK(status, "");
        status = writeSurfaceChildren(element, binding);
    } else {
        MArrayDataBuilder builder = groupArray.builder(&status);
        KIVO_MORPH_CHECK(status, "");
        MDataHandle element = builder.addElement(geometry, &status);
        KIVO_MORPH_CHECK(status, "");
        status = writeSurfaceChildren(element, binding);
        if (status) {
            status = groupArray.set(builder);
            KIVO_MORPH_CHECK(status, "");
        }
    }
    if (!status) {
        return status;
    }
    status = groupArray.setAllClean();
    KIVO_MORPH_CHECK(status, "");
    return status;
}

MStatus KivoMorph::buildSurfaceBindings(MArrayDataHandle& inputArray, MArrayDataHandle& surfaceArray,
                                        const MMatrix& localToWorld, int originValue) {
    MStatus status;
    fSurfaceBindings.clear();
    fSurfaceDomains.clear();
    fSearchFailedWarned.clear();
    unsigned int boundCount = 0;
    if (surfaceArray.elementCount() == 0) {
        return MS::kFailure;
    }
    const unsigned int multiIndex = inputArray.elementIndex();
    for (unsigned int p = 0; p < surfaceArray.elementCount(); ++p) {
        status = surfaceArray.jumpToArrayElement(p);
        KIVO_MORPH_CHECK(status, "");
        const unsigned int surfaceId = surfaceArray.elementIndex(&status);
        KIVO_MORPH_CHECK(status, "");
        MDataHandle surfaceElement = surfaceArray.inputValue(&status);
        KIVO_MORPH_CHECK(status, "");
        const int surfaceOrigin = surfaceElement.child(inputSurfaceOrigin).asInt();
        MFnNurbsSurface surface;
        KnotDomain domain;
        // Elements without a surface, and surfaces without area, have nothing to bind to.
        if (!attachSurface(surfaceArray, surfaceOrigin, surface) ||
            !surface.getKnotDomain(domain.uStart, domain.uEnd, domain.vStart, domain.vEnd) ||
            !domain.usable()) {
            continue;
        }
        MObject surfaceObject = surface.object();
        MNurbsIntersector intersector;
        if (!intersector.create(surfaceObject, MMatrix::identity)) {
            // Numbers that are not finite (a huge transform, say) leave nothing to search; every
            // point stays unbound rather than taking a position that is not a number.
            MGlobal::displayWarning(MString("KivoMorph '") + name() + "': the surface of inputSurface[" +
                                    surfaceId +
                                    "] cannot be searched for closest points; no point is bound to it.");
            continue;
        }
        fSurfaceDomains[surfaceId] = domain;
        const unsigned int inputCount = inputArray.elementCount();
        auto& slots = fSurfaceBindings[surfaceId];
        slots.assign(inputCount, std::nullopt);
        unsigned int unbound = 0;
        for (unsigned int q = 0; q < inputCount; ++q) {
            if (!inputArray.jumpToArrayElement(q)) {
                continue;
            }
            EncodeContext geometry;
            geometry.origin = originValue;
            status = geometryBasePoints(inputArray, multiIndex, localToWorld, originValue, geometry);
            if (!status) {
                return status;
            }
            SurfaceBinding binding;
            bindGeometry(geometry, surface, domain, intersector, binding, unbound);
            status = writeSurfaceGroup(surfaceArray, geometry.geometry, binding);
            if (!status) {
                return status;
            }
            if (geometry.geometry < inputCount) {
                slots[geometry.geometry] = std::move(binding);
            }
            ++boundCount;
        }
        if (unbound > 0) {
            MGlobal::displayWarning(MString("KivoMorph '") + name() + "': " + unbound +
                                    " points have no closest point or no surface frame on inputSurface[" +
                                    surfaceId + "]; UV targets leave them in place.");
        }
    }
    return boundCount > 0 ? MS::kSuccess : MS::kFailure;
}
