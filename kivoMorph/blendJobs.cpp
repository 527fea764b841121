#include "kivoMorph/blendJobs.h"

#include "common/parallel.h"
#include "kivoMorph/inbetween.h"

#include <algorithm>

namespace {

// Points per range: the output points of a range stay in cache while every job adds to them.
constexpr unsigned int kRangePoints = 8192;

float pointWeight(const BlendJob& job, const PointWeightArrays& weights, unsigned int i) {
    return job.targetWeights != nullptr
               ? (weights.base[i] * job.targetWeights[i]) * weights.envelopeDeformer[i]
               : weights.product[i];
}

// The inbetween's delta at a point, or none when the inbetween does not move it.
inbetween::BlendVector controlAt(const BezierControl& control, int point) {
    const unsigned int position = entryOf(control, point);
    if (position >= control.indices->length() || position >= control.deltas->length()) {
        return {};
    }
    const MPoint& d = (*control.deltas)[position];
    return {d.x, d.y, d.z};
}

// Adds the job's entries first .. last-1.
void addEntries(const BlendJob& job, const PointWeightArrays& weights, MPoint* output, unsigned int first,
                unsigned int last, std::vector<inbetween::BlendVector>& controls) {
    const int* indices = &(*job.indices)[0];
    const MPoint* deltas = &(*job.deltas)[0];
    if (job.exact) {
        for (unsigned int k = first; k < last; ++k) {
            MPoint& point = output[static_cast<unsigned int>(indices[k])];
            point.x += deltas[k].x;
            point.y += deltas[k].y;
            point.z += deltas[k].z;
        }
        return;
    }
    if (job.bezier == nullptr) {
        for (unsigned int k = first; k < last; ++k) {
            const unsigned int i = static_cast<unsigned int>(indices[k]);
            const float scale = job.factor * pointWeight(job, weights, i);
            MPoint& point = output[i];
            point.x += scale * deltas[k].x;
            point.y += scale * deltas[k].y;
            point.z += scale * deltas[k].z;
        }
        return;
    }
    controls.resize(job.bezier->size());
    for (unsigned int k = first; k < last; ++k) {
        const int i = indices[k];
        for (std::size_t j = 0; j < controls.size(); ++j) {
            controls[j] = controlAt((*job.bezier)[j], i);
        }
        const MPoint& full = deltas[k];
        const inbetween::BlendVector blended =
            inbetween::bezierBlendPoint(controls, {full.x, full.y, full.z}, job.factor, job.curve);
        const float scale = pointWeight(job, weights, static_cast<unsigned int>(i));
        MPoint& point = output[static_cast<unsigned int>(i)];
        point.x += scale * blended.x;
        point.y += scale * blended.y;
        point.z += scale * blended.z;
    }
}

// Ranges first to last of the points, every job in order within each range.
void addRanges(const std::vector<BlendJob>& jobs, const PointWeightArrays& weights, MPoint* output,
               unsigned int pointCount, unsigned int firstRange, unsigned int lastRange) {
    const unsigned int start = firstRange * kRangePoints;
    // Where each job's entries of the current range begin.
    std::vector<const int*> cursors(jobs.size());
    for (std::size_t j = 0; j < jobs.size(); ++j) {
        const int* indices = jobs[j].count > 0 ? &(*jobs[j].indices)[0] : nullptr;
        cursors[j] = std::lower_bound(indices, indices + jobs[j].count, static_cast<int>(start));
    }
    std::vector<inbetween::BlendVector> controls;
    for (unsigned int range = firstRange; range < lastRange; ++range) {
        const int end = static_cast<int>(std::min(pointCount, (range + 1) * kRangePoints));
        for (std::size_t j = 0; j < jobs.size(); ++j) {
            const BlendJob& job = jobs[j];
            if (job.count == 0) {
                continue;
            }
            const int* indices = &(*job.indices)[0];
            const int* stop = std::lower_bound(cursors[j], indices + job.count, end);
            addEntries(job, weights, output, static_cast<unsigned int>(cursors[j] - indices),
                       static_cast<unsigned int>(stop - indices), controls);
            cursors[j] = stop;
        }
    }
}

} // namespace

unsigned int entryOf(const BezierControl& control, int point) {
    const unsigned int count = control.indices->length();
    if (control.lookup != nullptr) {
        const auto found = control.lookup->find(point);
        return found != control.lookup->end() ? found->second : count;
    }
    if (count == 0) {
        return count;
    }
    const int* first = &(*control.indices)[0];
    const int* at = std::lower_bound(first, first + count, point);
    return at != first + count && *at == point ? static_cast<unsigned int>(at - first) : count;
}

bool ascending(const MIntArray& indices, unsigned int count) {
    for (unsigned int k = 1; k < count; ++k) {
        if (indices[k] < indices[k - 1]) {
            return false;
        }
    }
    return true;
}

void runBlendJobs(const std::vector<BlendJob>& jobs, bool ordered, const PointWeightArrays& weights,
                  MPointArray& output) {
    const unsigned int pointCount = output.length();
    if (jobs.empty() || pointCount == 0) {
        return;
    }
    // The points are written through their address so that the ranges can work side by side.
    MPoint* points = &output[0];
    if (!ordered) {
        std::vector<inbetween::BlendVector> controls;
        for (const BlendJob& job : jobs) {
            if (job.count > 0) {
                addEntries(job, weights, points, 0, job.count, controls);
            }
        }
        return;
    }
    const unsigned int ranges = (pointCount + kRangePoints - 1) / kRangePoints;
    forEachBlock(ranges, pointCount >= kParallelPoints, [&](unsigned int first, unsigned int last) {
        addRanges(jobs, weights, points, pointCount, first, last);
    });
}
