// The deformed positions: input + accumulated delta for every affected point. In world space (origin 0)
// the delta is brought back into object space through the inverse of the matrix's linear part (left as
// it is when that part is singular), so that a point lands on its world-space target.
__kernel void kivoMorph_blendDelta(__global float* output, __global const float* input, __global const float* delta,
                                   __global const uint* affectMap, const float envelope, const uint count,
                                   __global const float* matrix, const int toObjectSpace) {
    const uint slot = get_global_id(0);
    if (slot >= count) {
        return;
    }
    const float3 p = vload3(slot, input);
    const uint point = affectMap[slot];
    if (!(envelope > 1e-5f) || point >= count) {
        vstore3(p, slot, output);
        return;
    }
    float3 d = vload3(point, delta);
    if (toObjectSpace != 0) {
        const float m00 = matrix[0], m01 = matrix[1], m02 = matrix[2];
        const float m10 = matrix[4], m11 = matrix[5], m12 = matrix[6];
        const float m20 = matrix[8], m21 = matrix[9], m22 = matrix[10];
        const float c00 = m11 * m22 - m12 * m21;
        const float c01 = m12 * m20 - m10 * m22;
        const float c02 = m10 * m21 - m11 * m20;
        const float det = m00 * c00 + m01 * c01 + m02 * c02;
        if (det != 0.0f && isfinite(det)) {
            const float inv = 1.0f / det;
            const float i00 = c00 * inv, i10 = c01 * inv, i20 = c02 * inv;
            const float i01 = (m02 * m21 - m01 * m22) * inv;
            const float i11 = (m00 * m22 - m02 * m20) * inv;
            const float i21 = (m01 * m20 - m00 * m21) * inv;
            const float i02 = (m01 * m12 - m02 * m11) * inv;
            const float i12 = (m02 * m10 - m00 * m12) * inv;
            const float i22 = (m00 * m11 - m01 * m10) * inv;
            d = (float3)(d.x * i00 + d.y * i10 + d.z * i20, d.x * i01 + d.y * i11 + d.z * i21,
                         d.x * i02 + d.y * i12 + d.z * i22);
        }
    }
    vstore3(p + d, slot, output);
}
