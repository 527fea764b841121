// NURBS surface evaluation for the UV blend: the point and first partial derivatives of a
// non-rational surface, from the B-spline basis of its completed knot vectors (numCVs + degree + 1).

#define KIVO_MAX_DEGREE 7

typedef struct {
    int numCVsInU;
    int numCVsInV;
    int degreeU;
    int degreeV;
    float startU;
    float endU;
    float startV;
    float endV;
    int periodicU;
    int periodicV;
} SurfaceDescription;

// The span holding t: the last span of non-zero length starting at or before it, or the last span of
// non-zero length for t at or past the end of the domain.
int kivo_findSpan(__global const float* knots, int numCVs, int degree, float t) {
    if (t >= knots[numCVs]) {
        int s = numCVs - 1;
        while (s > degree && !(knots[s] < knots[s + 1])) {
            --s;
        }
        return s;
    }
    int low = degree;
    int high = numCVs - 1;
    while (low < high) {
        const int mid = (low + high + 1) / 2;
        if (knots[mid] <= t) {
            low = mid;
        } else {
            high = mid - 1;
        }
    }
    return low;
}

// The basis functions of the span and their first derivatives.
void kivo_basis(__global const float* knots, int span, int degree, float t, float* values, float* slopes) {
    float ndu[KIVO_MAX_DEGREE + 1][KIVO_MAX_DEGREE + 1];
    float left[KIVO_MAX_DEGREE + 1];
    float right[KIVO_MAX_DEGREE + 1];
    ndu[0][0] = 1.0f;
    for (int j = 1; j <= degree; ++j) {
        left[j] = t - knots[span + 1 - j];
        right[j] = knots[span + j] - t;
        float saved = 0.0f;
        for (int r = 0; r < j; ++r) {
            ndu[j][r] = right[r + 1] + left[j - r];
            const float temp = ndu[r][j - 1] / ndu[j][r];
            ndu[r][j] = saved + right[r + 1] * temp;
            saved = left[j - r] * temp;
        }
        ndu[j][j] = saved;
    }
    for (int r = 0; r <= degree; ++r) {
        values[r] = ndu[r][degree];
        float d = 0.0f;
        if (degree > 0) {
            if (r >= 1) {
                d = ndu[r - 1][degree - 1] / ndu[degree][r - 1];
            }
            if (r <= degree - 1) {
                d -= ndu[r][degree - 1] / ndu[degree][r];
            }
        }
        slopes[r] = d * (float)degree;
    }
}

// The point and the partial derivatives along u and v at parameters inside the domain; false for a
// surface the description cannot be evaluated from.
bool kivo_evaluateSurface(__global const float* cvs, __global const float* knotsU, __global const float* knotsV,
                          const SurfaceDescription surface, float u, float v, float3* point, float3* dU,
                          float3* dV) {
    const int p = surface.degreeU;
    const int q = surface.degreeV;
    if (p < 1 || q < 1 || p > KIVO_MAX_DEGREE || q > KIVO_MAX_DEGREE || surface.numCVsInU <= p ||
        surface.numCVsInV <= q) {
        return false;
    }
    const int su = kivo_findSpan(knotsU, surface.numCVsInU, p, u);
    const int sv = kivo_findSpan(knotsV, surface.numCVsInV, q, v);
    float nu[KIVO_MAX_DEGREE + 1];
    float du[KIVO_MAX_DEGREE + 1];
    float nv[KIVO_MAX_DEGREE + 1];
    float dv[KIVO_MAX_DEGREE + 1];
    kivo_basis(knotsU, su, p, u, nu, du);
    kivo_basis(knotsV, sv, q, v, nv, dv);
    float3 s = (float3)(0.0f);
    float3 su3 = (float3)(0.0f);
    float3 sv3 = (float3)(0.0f);
    for (int i = 0; i <= p; ++i) {
        float3 row = (float3)(0.0f);
        float3 rowV = (float3)(0.0f);
        for (int j = 0; j <= q; ++j) {
            const int cv = (su - p + i) * surface.numCVsInV + (sv - q + j);
            const float3 c = vload3(cv, cvs);
            row += nv[j] * c;
            rowV += dv[j] * c;
        }
        s += nu[i] * row;
        su3 += du[i] * row;
        sv3 += nu[i] * rowV;
    }
    *point = s;
    *dU = su3;
    *dV = sv3;
    return true;
}

// A parameter clamped to [start, end]; NaN goes to start.
float kivo_clampParameter(float t, float start, float end) {
    if (isnan(t)) {
        return start;
    }
    return fmin(fmax(t, start), end);
}

// The frame of the UV blend: T = dU / |dU|, N = (T x dV) / |T x dV|, B = N x T; false where dU vanishes
// or runs along dV.
bool kivo_surfaceFrame(float3 dU, float3 dV, float3* tangent, float3* normal, float3* binormal) {
    const float uu = dot(dU, dU);
    if (!(uu > 1e-20f)) {
        return false;
    }
    const float3 t = dU / sqrt(uu);
    float3 n = cross(t, dV);
    const float nn = dot(n, n);
    if (!(nn > 1e-20f)) {
        return false;
    }
    n = n / sqrt(nn);
    *tangent = t;
    *normal = n;
    *binormal = cross(n, t);
    return true;
}
