#include "geometry/Generators.h"
#include <algorithm>
#include <cmath>

namespace khost {

namespace {

const double kPi = 3.14159265358979323846;

void quad(MIntArray& counts, MIntArray& connects, int a, int b, int c, int d) {
    counts.append(4);
    connects.append(a);
    connects.append(b);
    connects.append(c);
    connects.append(d);
}

void appendIds(MIntArray& ids, std::initializer_list<int> values) {
    for (int v : values)
        ids.append(v);
}

// The uniform B-spline of order n (degree n - 1) at integer x: the weights a curve point at a knot
// gives to the CVs around it.
double cardinalBSpline(int n, int x) {
    if (n == 1)
        return x == 0 ? 1.0 : 0.0;
    return (x * cardinalBSpline(n - 1, x) + (n - x) * cardinalBSpline(n - 1, x - 1)) / (n - 1);
}

} // namespace

double periodicCircleScale(int sections, int degree) {
    const int order = degree + 1;
    double reach = 0;
    for (int k = 1; k < order; ++k)
        reach += cardinalBSpline(order, k) * std::cos(2 * kPi * (k - order / 2.0) / sections);
    return 1.0 / reach;
}

MeshData makePlane(double w, double h, int sx, int sy, int axis) {
    sx = std::max(sx, 1);
    sy = std::max(sy, 1);
    MeshData mesh;
    MFloatArray u, v;
    for (int j = 0; j <= sy; ++j)
        for (int i = 0; i <= sx; ++i) {
            double x = -w / 2 + w * i / sx;
            double z = h / 2 - h * j / sy;
            // The +y plane turned so that its normal becomes +x or +z.
            if (axis == 0)
                mesh.points.append(0.0, -x, z);
            else if (axis == 2)
                mesh.points.append(x, -z, 0.0);
            else
                mesh.points.append(x, 0.0, z);
            u.append(static_cast<float>(i) / sx);
            v.append(static_cast<float>(j) / sy);
        }
    MIntArray counts, connects;
    for (int j = 0; j < sy; ++j)
        for (int i = 0; i < sx; ++i) {
            int a = j * (sx + 1) + i;
            quad(counts, connects, a, a + 1, a + 1 + (sx + 1), a + (sx + 1));
        }
    mesh.setTopology(counts, connects);
    mesh.setUVs(u, v, connects);
    return mesh;
}

MeshData makeCube(double w, double h, double d, int sx, int sy, int sz) {
    sx = std::max(sx, 1);
    sy = std::max(sy, 1);
    sz = std::max(sz, 1);
    const int ring = 2 * (sy + sz);
    // Profile point k of the ring in (y, z): up the front, back over the top, down the back, forward
    // under the bottom.
    auto profile = [&](int k, double& y, double& z) {
        if (k <= sy) {
            y = -h / 2 + h * k / sy, z = d / 2;
        } else if (k <= sy + sz) {
            y = h / 2, z = d / 2 - d * (k - sy) / sz;
        } else if (k <= 2 * sy + sz) {
            y = h / 2 - h * (k - sy - sz) / sy, z = -d / 2;
        } else {
            y = -h / 2, z = -d / 2 + d * (k - 2 * sy - sz) / sz;
        }
    };
    MeshData mesh;
    for (int k = 0; k < ring; ++k) {
        double y, z;
        profile(k, y, z);
        for (int i = 0; i <= sx; ++i)
            mesh.points.append(-w / 2 + w * i / sx, y, z);
    }
    // Cap grid point (a along z from +d/2, b along y from -h/2): a ring vertex on the border, else an
    // inner vertex of that cap.
    const int innerPerCap = (sy - 1) * (sz - 1);
    const int rightInner = ring * (sx + 1);
    auto capVertex = [&](bool right, int a, int b) {
        int column = right ? sx : 0;
        if (a == 0)
            return b * (sx + 1) + column;
        if (b == sy)
            return (sy + a) * (sx + 1) + column;
        if (a == sz)
            return (sy + sz + sy - b) * (sx + 1) + column;
        if (b == 0)
            return ((2 * sy + sz + sz - a) % ring) * (sx + 1) + column;
        return rightInner + (right ? 0 : innerPerCap) + (b - 1) * (sz - 1) + (a - 1);
    };
    for (int cap = 0; cap < 2; ++cap)
        for (int b = 1; b < sy; ++b)
            for (int a = 1; a < sz; ++a)
                mesh.points.append(cap == 0 ? w / 2 : -w / 2, -h / 2 + h * b / sy, d / 2 - d * a / sz);

    MFloatArray u, v;
    MIntArray counts, connects, uvIds;
    // Ring UVs: a strip in u [0.375, 0.625], a quarter of v per side, the seam row repeated at v = 1.
    auto ringV = [&](int k) {
        if (k <= sy)
            return 0.25 * k / sy;
        if (k <= sy + sz)
            return 0.25 + 0.25 * (k - sy) / sz;
        if (k <= 2 * sy + sz)
            return 0.5 + 0.25 * (k - sy - sz) / sy;
        return 0.75 + 0.25 * (k - 2 * sy - sz) / sz;
    };
    for (int k = 0; k <= ring; ++k)
        for (int i = 0; i <= sx; ++i) {
            u.append(static_cast<float>(0.375 + 0.25 * i / sx));
            v.append(static_cast<float>(ringV(k)));
        }
    for (int k = 0; k < ring; ++k)
        for (int i = 0; i < sx; ++i) {
            int a = k * (sx + 1) + i, next = ((k + 1) % ring) * (sx + 1) + i;
            quad(counts, connects, a, a + 1, next + 1, next);
            int ua = k * (sx + 1) + i, unext = (k + 1) * (sx + 1) + i;
            appendIds(uvIds, {ua, ua + 1, unext + 1, unext});
        }
    // Caps: +x beside the strip at u [0.625, 0.875], -x mirrored at u [0.125, 0.375].
    for (int cap = 0; cap < 2; ++cap) {
        bool right = cap == 0;
        int uvBase = static_cast<int>(u.length());
        for (int b = 0; b <= sy; ++b)
            for (int a = 0; a <= sz; ++a) {
                double offset = 0.25 * a / sz;
                u.append(static_cast<float>(right ? 0.625 + offset : 0.375 - offset));
                v.append(static_cast<float>(0.25 * b / sy));
            }
        auto uv = [&](int a, int b) { return uvBase + b * (sz + 1) + a; };
        for (int b = 0; b < sy; ++b)
            for (int a = 0; a < sz; ++a) {
                if (right) {
                    quad(counts, connects, capVertex(true, a, b), capVertex(true, a + 1, b),
                         capVertex(true, a + 1, b + 1), capVertex(true, a, b + 1));
                    appendIds(uvIds, {uv(a, b), uv(a + 1, b), uv(a + 1, b + 1), uv(a, b + 1)});
                } else {
                    quad(counts, connects, capVertex(false, a + 1, b), capVertex(false, a, b),
                         capVertex(false, a, b + 1), capVertex(false, a + 1, b + 1));
                    appendIds(uvIds, {uv(a + 1, b), uv(a, b), uv(a, b + 1), uv(a + 1, b + 1)});
                }
            }
    }
    mesh.setTopology(counts, connects);
    mesh.setUVs(u, v, uvIds);
    return mesh;
}

MeshData makeSphere(double r, int sx, int sy) {
    sx = std::max(sx, 3);
    sy = std::max(sy, 2);
    const int rings = sy - 1;
    MeshData mesh;
    for (int i = 0; i < rings; ++i) {
        double phi = kPi * (i + 1) / sy;
        double y = -r * std::cos(phi), rho = r * std::sin(phi);
        for (int j = 0; j < sx; ++j) {
            double theta = 2 * kPi * j / sx;
            mesh.points.append(rho * std::cos(theta), y, -rho * std::sin(theta));
        }
    }
    const int bottom = rings * sx, top = bottom + 1;
    mesh.points.append(0.0, -r, 0.0);
    mesh.points.append(0.0, r, 0.0);

    MFloatArray u, v;
    for (int i = 0; i < rings; ++i)
        for (int j = 0; j <= sx; ++j) {
            u.append(static_cast<float>(j) / sx);
            v.append(static_cast<float>(i + 1) / sy);
        }
    const int bottomUV = rings * (sx + 1), topUV = bottomUV + sx;
    for (int pole = 0; pole < 2; ++pole)
        for (int j = 0; j < sx; ++j) {
            u.append(static_cast<float>((j + 0.5) / sx));
            v.append(pole == 0 ? 0.0f : 1.0f);
        }

    MIntArray counts, connects, uvIds;
    for (int i = 0; i + 1 < rings; ++i)
        for (int j = 0; j < sx; ++j) {
            int jn = (j + 1) % sx;
            quad(counts, connects, i * sx + j, i * sx + jn, (i + 1) * sx + jn, (i + 1) * sx + j);
            int a = i * (sx + 1) + j, b = (i + 1) * (sx + 1) + j;
            appendIds(uvIds, {a, a + 1, b + 1, b});
        }
    for (int j = 0; j < sx; ++j) {
        counts.append(3);
        appendIds(connects, {bottom, (j + 1) % sx, j});
        appendIds(uvIds, {bottomUV + j, j + 1, j});
    }
    const int last = (rings - 1) * sx, lastUV = (rings - 1) * (sx + 1);
    for (int j = 0; j < sx; ++j) {
        counts.append(3);
        appendIds(connects, {last + j, last + (j + 1) % sx, top});
        appendIds(uvIds, {lastUV + j, lastUV + j + 1, topUV + j});
    }
    mesh.setTopology(counts, connects);
    mesh.setUVs(u, v, uvIds);
    return mesh;
}

NurbsCurveData makeCircle(double radius, int sections, int degree, const MVector& normal) {
    sections = std::max(sections, 3);
    degree = std::clamp(degree, 1, 7);
    MVector n = normal.length() > 0 ? normal.normal() : MVector::zAxis;
    MVector across = MVector::yAxis ^ n;
    if (across.length() < 1e-9)
        across = MVector::zAxis ^ n;
    across.normalize();
    MVector up = n ^ across;

    NurbsCurveData curve;
    curve.degree = degree;
    double scale = radius;
    if (degree == 1) {
        curve.form = MFnNurbsCurve::kClosed;
    } else {
        scale = radius * periodicCircleScale(sections, degree);
        curve.form = MFnNurbsCurve::kPeriodic;
    }
    const int distinct = sections;
    const int numCVs = degree == 1 ? sections + 1 : sections + degree;
    for (int i = 0; i < numCVs; ++i) {
        double theta = 2 * kPi * (i % distinct) / sections;
        curve.points.append(MPoint(across * (scale * std::cos(theta)) + up * (scale * std::sin(theta))));
    }
    for (int k = 0; k < numCVs + degree - 1; ++k)
        curve.knots.append(k - (degree - 1));
    return curve;
}

NurbsCurveData makeCurve(int degree, const MPointArray& points) {
    NurbsCurveData curve;
    curve.degree = std::max(degree, 1);
    curve.form = MFnNurbsCurve::kOpen;
    const int numCVs = static_cast<int>(points.length());
    if (degree < 1 || numCVs < degree + 1)
        return curve;
    curve.points = points;
    const int spans = numCVs - degree;
    for (int k = 0; k < degree; ++k)
        curve.knots.append(0);
    for (int k = 1; k < spans; ++k)
        curve.knots.append(k);
    for (int k = 0; k < degree; ++k)
        curve.knots.append(spans);
    return curve;
}

} // namespace khost
