// Input positions into world space: p * M for the row-major local-to-world matrix M.
__kernel void kivoMorph_toWorldSpace(__global float* world, __global const float* positions,
                                     __global const float* matrix, __global const uint* affectMap, const uint count) {
    const uint slot = get_global_id(0);
    if (slot >= count) {
        return;
    }
    const uint point = affectMap[slot];
    if (point >= count) {
        return;
    }
    const float3 p = vload3(slot, positions);
    const float3 w = (float3)(p.x * matrix[0] + p.y * matrix[4] + p.z * matrix[8] + matrix[12],
                              p.x * matrix[1] + p.y * matrix[5] + p.z * matrix[9] + matrix[13],
                              p.x * matrix[2] + p.y * matrix[6] + p.z * matrix[10] + matrix[14]);
    vstore3(w, point, world);
}
