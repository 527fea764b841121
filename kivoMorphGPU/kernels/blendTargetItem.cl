// One target item added to the accumulators. Entries with the same point index sit next to each other
// (the host sorts them so): the first entry of each run applies the whole run in order, so that no two
// work items touch one point.
//
// Straight-line items add factor x weight x delta (or the Bezier curve through the target's
// inbetweens) to the point's delta. UV items move the point's u, v and offset accumulators, place the
// point on the surface there with the accumulated offset in the surface frame, and add the weighted
// way from where the UV items so far brought the point (the working position, updated) to that place.
__kernel void kivoMorph_blendTargetItem(
    __global float* working, __global float* delta, __global float* auxDelta, __global const float* itemPoints,
    __global const int* itemIndices, __global const float* itemUVs, __global const float* relativePoints,
    __global const float* surfacePoints, __global const float* surfaceUVs, __global const float* cvs,
    __global const float* knotsU, __global const float* knotsV, const SurfaceDescription surface,
    const float targetOffset, const float factor, const int blendUV, const uint count, __global float* auxUV,
    __global const float* itemWeights, __global const float4* controlPoints, __global const float2* controlUVs,
    const uint controlCount, const int bezier, const float curvature, __global const float* reference,
    const float envelope) {
    const uint k = get_global_id(0);
    if (k >= count) {
        return;
    }
    const int point = itemIndices[k];
    if (k > 0 && itemIndices[k - 1] == point) {
        return;
    }
    const float s = 2.0f * curvature;
    for (uint e = k; e < count && itemIndices[e] == point; ++e) {
        const float weight = itemWeights[e] * envelope;
        const float3 d = vload3(e, itemPoints);
        if (blendUV == 0) {
            const float3 added = bezier != 0 ? weight * kivo_bezierPoint(controlPoints, e, controlCount, d, factor, s)
                                             : (factor * weight) * d;
            vstore3(vload3(point, delta) + added, point, delta);
            continue;
        }
        const float2 bound = vload2(point, surfaceUVs);
        if (isnan(bound.x)) {
            continue;
        }
        const float2 moved = vload2(e, itemUVs);
        float2 uv;
        if (bezier != 0) {
            uv = kivo_bezierUv(controlPoints, controlUVs, e, controlCount, bound, bound + moved, factor, s);
            vstore2(vload2(point, auxUV) + (uv - bound), point, auxUV);
        } else {
            const float2 accumulated = vload2(point, auxUV) + moved * factor;
            vstore2(accumulated, point, auxUV);
            uv = bound + accumulated;
        }
        const float3 offset = vload3(point, auxDelta) + d * (factor * targetOffset);
        vstore3(offset, point, auxDelta);
        const float3 relative = vload3(point, relativePoints) + offset;
        const float u = kivo_clampParameter(uv.x, surface.startU, surface.endU);
        const float v = kivo_clampParameter(uv.y, surface.startV, surface.endV);
        float3 onSurface, dU, dV, tangent, normal, binormal;
        if (!kivo_evaluateSurface(cvs, knotsU, knotsV, surface, u, v, &onSurface, &dU, &dV) ||
            !kivo_surfaceFrame(dU, dV, &tangent, &normal, &binormal)) {
            continue;
        }
        const float3 placed = onSurface + relative.x * tangent + relative.y * normal + relative.z * binormal;
        if (!all(isfinite(placed))) {
            continue;
        }
        const float3 current = vload3(point, working);
        const float3 displacement = (placed - current) * weight;
        vstore3(current + displacement, point, working);
        vstore3(vload3(point, delta) + displacement, point, delta);
    }
}
