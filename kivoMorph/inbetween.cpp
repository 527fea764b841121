#include "kivoMorph/inbetween.h"

namespace inbetween {

bool isRestItem(unsigned int itemIndex) {
    return itemIndex == 5000 || itemIndex == 0;
}

float itemWeight(unsigned int itemIndex) {
    return static_cast<float>(static_cast<int>(itemIndex) - 5000) * 0.001f;
}

std::vector<float> itemWeightList(const std::vector<unsigned int>& itemIndices) {
    std::vector<float> weights(itemIndices.size(), 0.0f);
    for (std::size_t p = 0; p < itemIndices.size(); ++p) {
        if (!isRestItem(itemIndices[p])) {
            weights[p] = itemWeight(itemIndices[p]);
        }
    }
    return weights;
}

namespace {

// Items at or above zero: fade in from the previous item (or from 0 for the first one) and out
// towards the next one; beyond the last item both ends of the last segment extrapolate.
std::optional<float> positiveFactor(const std::vector<float>& weights, std::size_t p, float w) {
    const std::size_t last = weights.size() - 1;
    const float wp = weights[p];
    const float prev = p == 0 ? weights[0] : weights[p - 1];
    if (w == wp) {
        return 1.0f;
    }
    if (w < wp) {
        if (w > prev) {
            return (w - prev) / (wp - prev);
        }
        if (p == 0) {
            return w / wp;
        }
        if (p == 1 && prev < 0.0f) {
            // Below a lone negative first item this item is the edge of the extrapolated segment.
            return (prev - w) / (prev - wp);
        }
        return std::nullopt;
    }
    if (w > wp) {
        if (p != last) {
            const float next = weights[p + 1];
            if (w < next || p + 2 == weights.size()) {
                return (next - w) / (next - wp);
            }
            return std::nullopt;
        }
        return (w - prev) / (wp - prev);
    }
    return w; // unordered (NaN) comparisons keep the target weight, as the GPU path does
}

// Items below zero share the segments of the positive rule; only beyond the outermost item
// does the rule mirror the extrapolation past the last one: position 1 plays the edge and
// position 0 extends the first segment (which is w / wp when its inner neighbour is item 5000).
std::optional<float> negativeFactor(const std::vector<float>& weights, std::size_t p, float w) {
    const float wp = weights[p];
    if (w < wp) {
        if (p > 0) {
            const float outer = weights[p - 1];
            if (w > outer || p == 1) {
                return (outer - w) / (outer - wp);
            }
            return std::nullopt;
        }
        const float inner = weights[1];
        return (w - inner) / (wp - inner);
    }
    return positiveFactor(weights, p, w);
}

BlendVector lerp(const BlendVector& a, const BlendVector& b, double t) {
    return {(1.0 - t) * a.x + t * b.x, (1.0 - t) * a.y + t * b.y, (1.0 - t) * a.z + t * b.z};
}

} // namespace

std::optional<float> segmentFactor(const std::vector<float>& itemWeights, std::size_t p, float w) {
    if (p >= itemWeights.size()) {
        return std::nullopt;
    }
    if (itemWeights.size() < 2) {
        return w; // a lone item is blended by the target weight alone
    }
    return itemWeights[p] < 0.0f ? negativeFactor(itemWeights, p, w) : positiveFactor(itemWeights, p, w);
}

BlendVector bezierBlendPoint(const std::vector<BlendVector>& inbetweenDeltas, const BlendVector& full,
                             double t, double s) {
    const std::size_t k = inbetweenDeltas.size();
    if (k == 0) {
        return {t * full.x, t * full.y, t * full.z};
    }
    const double half = 0.5 - 0.5 * s;
    std::vector<BlendVector> controls;
    controls.reserve(k + 2);
    controls.push_back({});
    for (const BlendVector& d : inbetweenDeltas) {
        controls.push_back({s * d.x + half * full.x, s * d.y + half * full.y, s * d.z + half * full.z});
    }
    controls.push_back(full);

    const double u = 1.0 - t;
    if (k == 1) {
        const BlendVector& c = controls[1];
        const double a = 2.0 * u * t;
        const double b = t * t;
        return {a * c.x + b * full.x, a * c.y + b * full.y, a * c.z + b * full.z};
    }
    if (k == 2) {
        const BlendVector& c1 = controls[1];
        const BlendVector& c2 = controls[2];
        const double a = 3.0 * u * u * t;
        const double b = 3.0 * u * t * t;
        const double c = t * t * t;
        return {a * c1.x + b * c2.x + c * full.x, a * c1.y + b * c2.y + c * full.y,
                a * c1.z + b * c2.z + c * full.z};
    }
    for (std::size_t level = controls.size() - 1; level > 0; --level) {
        for (std::size_t j = 0; j < level; ++j) {
            controls[j] = lerp(controls[j], controls[j + 1], t);
        }
    }
    return controls[0];
}

BlendUv bezierBlendUv(const BlendUv& start, const std::vector<BlendUv>& controls, const BlendUv& end,
                      double t, double s) {
    const double sf = static_cast<float>(s);
    const BlendUv mid{(start.u + end.u) * 0.5, (start.v + end.v) * 0.5};
    std::vector<BlendUv> polygon;
    polygon.reserve(controls.size() + 2);
    polygon.push_back(start);
    for (const BlendUv& c : controls) {
        polygon.push_back({mid.u + sf * (c.u - mid.u), mid.v + sf * (c.v - mid.v)});
    }
    polygon.push_back(end);

    const double u = 1.0 - t;
    BlendUv result;
    switch (controls.size()) {
    case 0:
        result = {u * start.u + t * end.u, u * start.v + t * end.v};
        break;
    case 1: {
        const BlendUv& c = polygon[1];
        result = {u * u * start.u + 2.0 * u * t * c.u + t * t * end.u,
                  u * u * start.v + 2.0 * u * t * c.v + t * t * end.v};
        break;
    }
    case 2: {
        const BlendUv& c1 = polygon[1];
        const BlendUv& c2 = polygon[2];
        const double a = u * u * u;
        const double b = 3.0 * u * u * t;
        const double c = 3.0 * u * t * t;
        const double d = t * t * t;
        result = {a * start.u + b * c1.u + c * c2.u + d * end.u,
                  a * start.v + b * c1.v + c * c2.v + d * end.v};
        break;
    }
    default: {
        const double tf = static_cast<float>(t);
        for (std::size_t level = polygon.size() - 1; level > 0; --level) {
            for (std::size_t j = 0; j < level; ++j) {
                polygon[j] = {polygon[j].u + tf * (polygon[j + 1].u - polygon[j].u),
                              polygon[j].v + tf * (polygon[j + 1].v - polygon[j].v)};
            }
        }
        result = polygon[0];
        break;
    }
    }
    return {static_cast<float>(result.u), static_cast<float>(result.v)};
}

} // namespace inbetween
