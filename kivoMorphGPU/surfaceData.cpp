// Surface data of UV targets on the GPU: each target surface's CVs, completed knot vectors and
// description, and each geometry's binding to it as the node stored it in inputSurfaceGroup.

#include "common/parallel.h"
#include "kivoMorph/kivoMorph.h"
#include "kivoMorphGPU/gpuReport.h"
#include "kivoMorphGPU/kivoMorphGPU.h"

#include <maya/MArrayDataHandle.h>
#include <maya/MDoubleArray.h>
#include <maya/MFnDoubleArrayData.h>
#include <maya/MFnNurbsSurface.h>
#include <maya/MFnPointArrayData.h>

#include <algorithm>
#include <limits>
#include <set>

namespace {

// The knot vector completed to numCVs + degree + 1 knots: as it is, or with its end knots repeated
// when it holds Maya's two fewer; empty when it fits neither.
std::vector<float> completedKnots(const MDoubleArray& knots, unsigned int numCVs, unsigned int degree) {
    const unsigned int wanted = numCVs + degree + 1;
    const unsigned int count = knots.length();
    std::vector<float> completed;
    if (count == wanted) {
        completed.reserve(wanted);
    } else if (count > 0 && count + 2 == wanted) {
        completed.reserve(wanted);
        completed.push_back(static_cast<float>(knots[0]));
    } else {
        return completed;
    }
    for (unsigned int i = 0; i < count; ++i) {
        completed.push_back(static_cast<float>(knots[i]));
    }
    if (count + 2 == wanted) {
        completed.push_back(static_cast<float>(knots[count - 1]));
    }
    return completed;
}

MObject arrayData(MDataHandle& element, const MObject& child) {
    return element.child(child).data();
}

} // namespace

MStatus KivoMorphGPU::prepareSurfaces(MDataBlock& block) {
    MStatus status;
    MArrayDataHandle surfaces = block.inputArrayValue(KivoMorph::inputSurface, &status);
    if (!status) {
        return status;
    }
    // Surfaces prepared before that are gone or can no longer be used go with their buffers.
    std::set<int> kept;
    for (unsigned int p = 0; p < surfaces.elementCount(); ++p) {
        surfaces.jumpToArrayElement(p);
        const int surfaceId = static_cast<int>(surfaces.elementIndex());
        MDataHandle element = surfaces.inputValue(&status);
        if (!status) {
            return status;
        }
        MDataHandle surfaceHandle = element.child(KivoMorph::inputTargetSurface);
        if (surfaceHandle.data().isNull()) {
            continue;
        }
        // In world space the surface is taken transformed, as the CPU evaluation takes it; its CVs are
        // then those of the object it has become.
        const bool world = element.child(KivoMorph::inputSurfaceOrigin).asInt() == 0;
        MObject surface = world ? surfaceHandle.asNurbsSurfaceTransformed() : surfaceHandle.asNurbsSurface();
        MFnNurbsSurface surfaceFn(surface, &status);
        if (!status) {
            continue;
        }
        MPointArray cvs;
        MDoubleArray knotsU, knotsV;
        KnotDomain domain;
        if (!surfaceFn.getCVs(cvs, MSpace::kObject) || !surfaceFn.getKnotsInU(knotsU) ||
            !surfaceFn.getKnotsInV(knotsV) ||
            !surfaceFn.getKnotDomain(domain.uStart, domain.uEnd, domain.vStart, domain.vEnd)) {
            continue;
        }
        // The CPU blends nothing on a surface without a domain; left out here, its UV items are left to
        // the CPU as well.
        if (!domain.usable()) {
            continue;
        }
        const MFnNurbsSurface::Form formU = surfaceFn.formInU(&status);
        if (!status) {
            return status;
        }
        const MFnNurbsSurface::Form formV = surfaceFn.formInV(&status);
        if (!status) {
            return status;
        }
        const unsigned int degreeU = surfaceFn.degreeU(), degreeV = surfaceFn.degreeV();
        const unsigned int numU = surfaceFn.numCVsInU(), numV = surfaceFn.numCVsInV();
        std::vector<float> completedU = completedKnots(knotsU, numU, degreeU);
        std::vector<float> completedV = completedKnots(knotsV, numV, degreeV);
        if (completedU.empty() || completedV.empty() || cvs.length() != numU * numV) {
            continue;
        }
        std::vector<float> cvValues(static_cast<std::size_t>(cvs.length()) * 3);
        forEachPoint(cvs.length(), [&](unsigned int i) {
            cvValues[3 * i] = static_cast<float>(cvs[i].x);
            cvValues[3 * i + 1] = static_cast<float>(cvs[i].y);
            cvValues[3 * i + 2] = static_cast<float>(cvs[i].z);
        });
        kept.insert(surfaceId);
        SurfaceBuffers& buffers = surfaceBuffers[surfaceId];
        buffers.cvs.assign(std::move(cvValues));
        buffers.knotsU.assign(std::move(completedU));
        buffers.knotsV.assign(std::move(completedV));
        SurfaceDescription& description = buffers.description;
        description.numCVsInU = static_cast<cl_int>(numU);
        description.numCVsInV = static_cast<cl_int>(numV);
        description.degreeU = static_cast<cl_int>(degreeU);
        description.degreeV = static_cast<cl_int>(degreeV);
        description.startU = static_cast<float>(domain.uStart);
        description.endU = static_cast<float>(domain.uEnd);
        description.startV = static_cast<float>(domain.vStart);
        description.endV = static_cast<float>(domain.vEnd);
        description.periodicU = formU == MFnNurbsSurface::kPeriodic ? 1 : 0;
        description.periodicV = formV == MFnNurbsSurface::kPeriodic ? 1 : 0;
    }
    for (auto it = surfaceBuffers.begin(); it != surfaceBuffers.end();) {
        it = kept.count(it->first) > 0 ? std::next(it) : surfaceBuffers.erase(it);
    }
    for (auto& entry : surfaceBuffers) {
        for (GPUDataVector<float>* values : {&entry.second.cvs, &entry.second.knotsU, &entry.second.knotsV}) {
            uploadFailed = KIVO_CL_CHECK(values->upload()) != CL_SUCCESS || uploadFailed;
        }
    }
    return MS::kSuccess;
}

MStatus KivoMorphGPU::prepareSurfaceBindings(MDataBlock& block, unsigned int geometry,
                                             unsigned int pointCount) {
    MStatus status;
    MArrayDataHandle surfaces = block.inputArrayValue(KivoMorph::inputSurface, &status);
    if (!status) {
        KIVO_GPU_REPORT(status);
        return status;
    }
    // This geometry's bindings are read again; those no longer found are dropped after the walk.
    for (auto& entry : surfaceGroupBuffers) {
        if (entry.second.size() > geometry) {
            entry.second[geometry].valid = false;
        }
    }
    for (unsigned int p = 0; p < surfaces.elementCount(); ++p) {
        surfaces.jumpToArrayElement(p);
        const unsigned int surfaceId = surfaces.elementIndex();
        MArrayDataHandle groups(surfaces.inputValue().child(KivoMorph::inputSurfaceGroup), &status);
        if (!status) {
            KIVO_GPU_REPORT(status);
            return status;
        }
        // The node writes each geometry's binding under the geometry's logical index.
        if (!groups.jumpToElement(geometry)) {
            continue;
        }
        MDataHandle element = groups.inputValue(&status);
        if (!status) {
            KIVO_GPU_REPORT(status);
            return status;
        }
        const MObject relativeData = arrayData(element, KivoMorph::inputRelativePoints);
        const MObject surfaceData = arrayData(element, KivoMorph::inputSurfacePoints);
        const MObject uvData = arrayData(element, KivoMorph::inputSurfaceUV);
        if (relativeData.isNull() || surfaceData.isNull() || uvData.isNull()) {
            continue;
        }
        const MPointArray relative = MFnPointArrayData(relativeData).array();
        const MPointArray onSurface = MFnPointArrayData(surfaceData).array();
        const MDoubleArray uvs = MFnDoubleArrayData(uvData).array();
        // One entry per point of the geometry; a point the binding does not hold (or that the node
        // could not bind) gets u = NaN, which no UV item moves.
        const SurfaceBinding* binding = node != nullptr ? node->surfaceBinding(surfaceId, geometry) : nullptr;
        const unsigned int held = std::min({relative.length(), onSurface.length(), uvs.length() / 2});
        std::vector<float> relativeValues(static_cast<std::size_t>(pointCount) * 3, 0.0f);
        std::vector<float> surfaceValues(static_cast<std::size_t>(pointCount) * 3, 0.0f);
        std::vector<float> uvValues(static_cast<std::size_t>(pointCount) * 2,
                                    std::numeric_limits<float>::quiet_NaN());
        forEachPoint(std::min(held, pointCount), [&](unsigned int i) {
            if (binding != nullptr && (i >= binding->bound.size() || !binding->bound[i])) {
                return;
            }
            for (unsigned int c = 0; c < 3; ++c) {
                relativeValues[3 * i + c] = static_cast<float>(relative[i][c]);
                surfaceValues[3 * i + c] = static_cast<float>(onSurface[i][c]);
            }
            uvValues[2 * i] = static_cast<float>(uvs[2 * i]);
            uvValues[2 * i + 1] = static_cast<float>(uvs[2 * i + 1]);
        });
        std::vector<SurfaceGroupBuffers>& list = surfaceGroupBuffers[static_cast<int>(surfaceId)];
        if (list.size() <= geometry) {
            list.resize(geometry + 1);
        }
        SurfaceGroupBuffers& group = list[geometry];
        group.relativePoints.assign(std::move(relativeValues));
        group.surfacePoints.assign(std::move(surfaceValues));
        group.surfaceUVs.assign(std::move(uvValues));
        group.valid = true;
    }
    // Only this geometry's bindings were read: other geometries' host copies may have been dropped.
    for (auto& entry : surfaceGroupBuffers) {
        if (entry.second.size() <= geometry) {
            continue;
        }
        SurfaceGroupBuffers& group = entry.second[geometry];
        if (!group.valid) {
            group = SurfaceGroupBuffers();
            continue;
        }
        for (GPUDataVector<float>* values : {&group.relativePoints, &group.surfacePoints, &group.surfaceUVs}) {
            uploadFailed = KIVO_CL_CHECK(values->upload()) != CL_SUCCESS || uploadFailed;
        }
    }
    return MS::kSuccess;
}
