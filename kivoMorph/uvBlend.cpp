// The UV branch of the evaluation: each point of a UV item is put back on its surface at its blended
// parameter, with its blended offset applied in the surface frame found there. The u, v and offset
// accumulators and the positions reached are shared by every UV item in the order of the target loop,
// so UV targets compose; the displacement each item gives a point becomes a blend job, so that it
// reaches the output in that same order among the straight-line additions.

#include "kivoMorph/inbetween.h"
#include "kivoMorph/kivoMorph.h"
#include "kivoMorph/report.h"
#include "kivoMorph/surfaceFrame.h"

#include <maya/MArrayDataHandle.h>

#include <cmath>

MStatus KivoMorph::prepareUvTarget(const TargetSettings& settings, const BlendContext& context,
                                   UvTarget& uvTarget, bool& usable) {
    usable = false;
    MArrayDataHandle& surfaces = *context.encode.surfaces;
    if (settings.surfaceId < 0 || !surfaces.jumpToElement(static_cast<unsigned int>(settings.surfaceId))) {
        return MS::kSuccess;
    }
    uvTarget.surfaceId = static_cast<unsigned int>(settings.surfaceId);
    const auto domain = fSurfaceDomains.find(uvTarget.surfaceId);
    if (domain == fSurfaceDomains.end() || !domain->second.usable()) {
        return MS::kSuccess;
    }
    uvTarget.domain = domain->second;
    MStatus status;
    MDataHandle element = surfaces.inputValue(&status);
    KIVO_MORPH_CHECK(status, "");
    uvTarget.surfaceOrigin = element.child(inputSurfaceOrigin).asInt();
    // A live target attaches the surface when it encodes its items.
    if (!settings.live && !attachSurface(surfaces, uvTarget.surfaceOrigin, uvTarget.surface)) {
        return MS::kSuccess;
    }
    uvTarget.binding = surfaceBinding(uvTarget.surfaceId, context.multiIndex);
    usable = true;
    return MS::kSuccess;
}

void KivoMorph::readyUvState(const BlendContext& context) {
    UvState& uv = fWork.uv;
    if (uv.ready) {
        return;
    }
    const unsigned int count = context.pointCount;
    uv.u.assign(count, 0.0);
    uv.v.assign(count, 0.0);
    uv.offset.assign(count, MVector());
    // In the space of the output points, so that a displacement found here is one of the output.
    uv.current = context.encode.basePoints;
    refreshWeightProduct(context.envelope, *context.geometry);
    uv.ready = true;
}

MStatus KivoMorph::blendUvItem(const TargetItemCache& item, float factor, const UvTarget& uvTarget,
                               BlendContext& context) {
    if (uvTarget.binding == nullptr) {
        return MS::kSuccess;
    }
    readyUvState(context);
    const SurfaceBinding& binding = *uvTarget.binding;
    const KnotDomain& domain = uvTarget.domain;
    const GeometryCache& geometry = *context.geometry;
    UvState& uv = fWork.uv;
    const double f = factor;
    const double offsetFactor = f * uvTarget.offset;
    const unsigned int boundCount = static_cast<unsigned int>(binding.bound.size());
    TargetItemCache& moved = fWork.owned.emplace_back();
    std::vector<inbetween::BlendUv> controls;
    const unsigned int count = item.indices.length();
    for (unsigned int k = 0; k < count; ++k) {
        const int index = item.indices[k];
        if (index < 0 || static_cast<unsigned int>(index) >= boundCount ||
            static_cast<unsigned int>(index) >= context.pointCount ||
            !binding.bound[static_cast<size_t>(index)]) {
            continue;
        }
        const unsigned int i = static_cast<unsigned int>(index);
        const float pointWeight =
            uvTarget.targetWeights != nullptr
                ? (geometry.baseWeights[i] * uvTarget.targetWeights[i]) * geometry.envelopeDeformer[i]
                : geometry.baseProduct[i];
        const MPoint& relative = binding.relativePoints[i];
        const double uBase = binding.u[i], vBase = binding.v[i];
        const double du = item.uvDeltas[2 * k], dv = item.uvDeltas[2 * k + 1];
        double u, v;
        if (uvTarget.bezier == nullptr) {
            uv.u[i] += du * f;
            uv.v[i] += dv * f;
            u = uBase + uv.u[i];
            v = vBase + uv.v[i];
        } else {
            // The curve runs from the bound parameter through the inbetweens that hold the point to
            // the full target; the accumulators carry its result to later targets only.
            controls.clear();
            for (const BezierControl& control : *uvTarget.bezier) {
                const unsigned int q = entryOf(control, index);
                if (q < control.indices->length() && 2 * q + 1 < control.uvDeltas->length()) {
                    controls.push_back(
                        {uBase + (*control.uvDeltas)[2 * q], vBase + (*control.uvDeltas)[2 * q + 1]});
                }
            }
            const inbetween::BlendUv blended = inbetween::bezierBlendUv(
                {uBase, vBase}, controls, {uBase + du, vBase + dv}, f, uvTarget.curve);
            uv.u[i] += blended.u - uBase;
            uv.v[i] += blended.v - vBase;
            u = blended.u;
            v = blended.v;
        }
        MVector& offset = uv.offset[i];
        const MPoint& delta = item.deltas[k];
        offset.x += delta.x * offsetFactor;
        offset.y += delta.y * offsetFactor;
        offset.z += delta.z * offsetFactor;
        const MVector local(relative.x + offset.x, relative.y + offset.y, relative.z + offset.z);
        u = clampParameter(u, domain.uStart, domain.uEnd);
        v = clampParameter(v, domain.vStart, domain.vEnd);

        MPoint surfacePoint;
        MVector dU, dV;
        const PhaseClock evalClock(context.timing);
        MStatus status = uvTarget.surface.getDerivativesAtParm(u, v, surfacePoint, dU, dV, MSpace::kObject);
        evalClock.addTo(context.times->uvEval);
        KIVO_MORPH_CHECK(status, name());
        SurfaceFrame frame;
        if (!buildSurfaceFrame(dU, dV, frame)) {
            continue;
        }
        const MPoint placed = placeInFrame(surfacePoint, local, frame);
        // Offsets accumulated past the range of doubles place nothing.
        if (!std::isfinite(placed.x) || !std::isfinite(placed.y) || !std::isfinite(placed.z)) {
            continue;
        }
        MPoint& current = uv.current[i];
        const double weight = pointWeight;
        const MPoint displacement((placed.x - current.x) * weight, (placed.y - current.y) * weight,
                                  (placed.z - current.z) * weight);
        current.x += displacement.x;
        current.y += displacement.y;
        current.z += displacement.z;
        moved.indices.append(index);
        moved.deltas.append(displacement);
    }
    moved.ascending = ascending(moved.indices, moved.indices.length());
    context.ordered = context.ordered && moved.ascending;
    BlendJob job;
    job.indices = &moved.indices;
    job.deltas = &moved.deltas;
    job.count = moved.indices.length();
    job.exact = true;
    fWork.jobs.push_back(job);
    return MS::kSuccess;
}
