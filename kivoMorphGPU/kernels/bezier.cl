// Bezier blends of a target through its inbetweens, in Bernstein form: the curve from no displacement
// (or the bound parameter) through the control points to the full target, at t.

// The Bernstein weight of control i of a curve of the given degree at t.
float kivo_bernstein(int degree, int i, float t) {
    float binomial = 1.0f;
    for (int k = 0; k < i; ++k) {
        binomial = binomial * (float)(degree - k) / (float)(k + 1);
    }
    return binomial * pown(t, i) * pown(1.0f - t, degree - i);
}

// The delta of a straight-line Bezier target at one entry: control c is s * D_c + (0.5 - 0.5 s) * full,
// D_c being the inbetween's delta at the point (zero where it does not hold it).
float3 kivo_bezierPoint(__global const float4* controls, uint entry, uint count, float3 full, float t, float s) {
    if (count == 0) {
        return t * full;
    }
    const int degree = (int)count + 1;
    const float middle = 0.5f - 0.5f * s;
    float3 result = kivo_bernstein(degree, degree, t) * full;
    for (uint c = 0; c < count; ++c) {
        const float3 d = controls[entry * count + c].xyz;
        result += kivo_bernstein(degree, (int)c + 1, t) * (s * d + middle * full);
    }
    return result;
}

// The parameters of a UV Bezier target at one entry: the curve from the bound parameter through the
// inbetweens that hold the point (moved towards the middle of the ends by s) to the full target's.
float2 kivo_bezierUv(__global const float4* controls, __global const float2* controlUVs, uint entry, uint count,
                     float2 start, float2 end, float t, float s) {
    int degree = 1;
    for (uint c = 0; c < count; ++c) {
        degree += controls[entry * count + c].w != 0.0f ? 1 : 0;
    }
    const float2 mid = (start + end) * 0.5f;
    float2 result = kivo_bernstein(degree, 0, t) * start + kivo_bernstein(degree, degree, t) * end;
    int i = 1;
    for (uint c = 0; c < count; ++c) {
        if (controls[entry * count + c].w != 0.0f) {
            const float2 control = start + controlUVs[entry * count + c];
            result += kivo_bernstein(degree, i, t) * (mid + s * (control - mid));
            ++i;
        }
    }
    return result;
}
