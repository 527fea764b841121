#pragma once
// The local frame of a NURBS surface at a parameter, and offsets measured in it: tangent T along dU,
// normal N = T x dV, binormal B = N x T. The surface binding, the UV encoding and the UV evaluation
// all use this one rule, so that offsets stored by one are read back by the others unchanged. Pure
// arithmetic, shared with the GPU override.

#include <maya/MPoint.h>
#include <maya/MVector.h>

struct SurfaceFrame {
    MVector tangent;
    MVector normal;
    MVector binormal;
};

// The frame of the UV evaluation: T = dU / |dU|, N = (T x dV) / |T x dV|, B = N x T. False where dU
// vanishes or runs along dV (squared lengths not above 1e-20): there is no frame there.
bool buildSurfaceFrame(const MVector& dU, const MVector& dV, SurfaceFrame& frame);

// The frame of the binding and the encoding: the same directions, each vector normalised on its own,
// and the same test for a frame that does not exist.
bool normalizedSurfaceFrame(const MVector& dU, const MVector& dV, SurfaceFrame& frame);

// An offset in the frame: (o . T, o . N, o . B).
MVector localOffset(const MVector& offset, const SurfaceFrame& frame);

// S + L.x T + L.y N + L.z B, each component as fused multiply-adds in that order.
MPoint placeInFrame(const MPoint& surfacePoint, const MVector& local, const SurfaceFrame& frame);

// t clamped to [start, end]; NaN goes to start, so that a parameter is always one of the domain.
double clampParameter(double t, double start, double end);
