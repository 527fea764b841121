#pragma once
// Scenes with NURBS surfaces and UV targets: readers for the arrays the node writes, points placed by
// hand, and a reference UV placement worked out here from the surface itself.
#include "PluginScene.h"
#include <iomanip>
#include <maya/MDoubleArray.h>
#include <maya/MFnDoubleArrayData.h>
#include <maya/MFnIntArrayData.h>
#include <maya/MFnNurbsSurface.h>
#include <maya/MFnPointArrayData.h>
#include <maya/MIntArray.h>

class UvScene : public PluginScene {
protected:
    static MDoubleArray doubles(const std::string& path) {
        return MFnDoubleArrayData(plug(path).asMObject()).array();
    }
    static MPointArray pointArray(const std::string& path) {
        return MFnPointArrayData(plug(path).asMObject()).array();
    }
    static MIntArray ints(const std::string& path) { return MFnIntArrayData(plug(path).asMObject()).array(); }

    // Puts vertices (or CVs) of a shape at object-space positions.
    void place(const std::string& shape, const std::string& component,
               const std::vector<std::pair<unsigned int, MPoint>>& positions) {
        std::ostringstream script;
        script << std::setprecision(17);
        for (const auto& [i, p] : positions)
            script << "move -a -os " << p.x << " " << p.y << " " << p.z << " " << shape << "." << component
                   << "[" << i << "];";
        run(script.str());
    }

    // Where a UV blend puts a point on the shape's surface (object space): S(u, v) + L.x T + L.y N + L.z B
    // with T = dU / |dU|, N = T ^ dV normalised, B = N ^ T.
    static MPoint onSurface(const std::string& surfaceShape, double u, double v, const MVector& local) {
        MFnNurbsSurface fn(node(surfaceShape)->handle());
        MPoint s;
        MVector du, dv;
        EXPECT_TRUE(fn.getDerivativesAtParm(u, v, s, du, dv));
        const MVector t = du.normal();
        const MVector n = (t ^ dv).normal();
        const MVector b = n ^ t;
        return s + t * local.x + n * local.y + b * local.z;
    }

    static void expectPointNear(const MPoint& actual, const MPoint& expected, double tolerance,
                                const std::string& what) {
        EXPECT_NEAR(actual.x, expected.x, tolerance) << what;
        EXPECT_NEAR(actual.y, expected.y, tolerance) << what;
        EXPECT_NEAR(actual.z, expected.z, tolerance) << what;
    }
};
