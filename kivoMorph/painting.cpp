// Naming and the paintTargetWeights proxy, through which Maya's painting tools read and write
// the targetWeights of the target chosen by paintTargetWeightsIndex.

#include "kivoMorph/kivoMorph.h"
#include "kivoMorph/report.h"

#include <maya/MArrayDataBuilder.h>
#include <maya/MArrayDataHandle.h>
#include <maya/MFnDependencyNode.h>
#include <maya/MGlobal.h>
#include <maya/MIntArray.h>

#include <algorithm>
#include <cmath>
#include <vector>

void KivoMorph::postConstructor() {
    MFnDependencyNode node(thisMObject());
    node.setName("kivoMorph#");
}

bool KivoMorph::findPaintedTarget(MDataBlock& block, const MPlug& plug, MPlug& targetPlug) {
    MStatus status;
    const MDataHandle indexHandle = block.inputValue(paintTargetWeightsIndex, &status);
    if (!status) {
        KIVO_MORPH_REPORT(status, "");
        return false;
    }
    const int paintIndex = indexHandle.asInt();

    const MPlug proxyArray = plug.isElement() ? plug.array() : plug;
    const MPlug geometryPlug = proxyArray.parent(&status);
    if (!status) {
        KIVO_MORPH_REPORT(status, "");
        return false;
    }
    MPlug groupArray = geometryPlug.child(inputTargetGroup, &status);
    if (!status) {
        KIVO_MORPH_REPORT(status, "");
        return false;
    }

    MIntArray existing;
    groupArray.getExistingArrayAttributeIndices(existing);
    bool found = false;
    for (unsigned int k = 0; k < existing.length() && existing[k] <= paintIndex; ++k) {
        found = existing[k] == paintIndex;
    }
    if (!found) {
        MString text("Unable to find index '");
        text += paintIndex;
        text += "' to paint on ";
        text += groupArray.info();
        MGlobal::displayError(text);
        return false;
    }
    targetPlug = groupArray.elementByLogicalIndex(static_cast<unsigned int>(paintIndex), &status);
    if (!status) {
        KIVO_MORPH_REPORT(status, "");
        return false;
    }
    return true;
}

bool KivoMorph::getInternalValue(const MPlug& plug, MDataHandle& dataHandle) {
    if (plug.attribute() != paintTargetWeights) {
        return false;
    }
    MDataBlock block = forceCache();
    MPlug targetPlug;
    if (!findPaintedTarget(block, plug, targetPlug)) {
        return false;
    }
    MStatus status;
    const MPlug weightsPlug = targetPlug.child(targetWeights, &status);
    if (!status || weightsPlug.isNull()) {
        return false;
    }
    MArrayDataHandle weightsArray = block.inputArrayValue(weightsPlug, &status);
    if (!status) {
        return false;
    }

    if (plug.isElement()) {
        // A point without its own weight element is left to the attribute default.
        if (weightsArray.jumpToElement(plug.logicalIndex())) {
            dataHandle.setDouble(weightsArray.inputValue().asDouble());
        }
        return true;
    }

    MArrayDataHandle proxyArray(dataHandle, &status);
    if (!status) {
        return false;
    }
    MArrayDataBuilder builder = proxyArray.builder(&status);
    if (!status) {
        return false;
    }
    std::vector<unsigned int> shown;
    const unsigned int count = weightsArray.elementCount();
    for (unsigned int q = 0; q < count; ++q) {
        if (!weightsArray.jumpToArrayElement(q)) {
            return false;
        }
        const unsigned int index = weightsArray.elementIndex();
        builder.addElement(index).setDouble(weightsArray.inputValue().asDouble());
        shown.push_back(index);
    }
    // Elements the proxy showed before but the target no longer holds must go.
    const unsigned int proxyCount = proxyArray.elementCount();
    for (unsigned int q = 0; q < proxyCount; ++q) {
        if (proxyArray.jumpToArrayElement(q)) {
            const unsigned int index = proxyArray.elementIndex();
            if (!std::binary_search(shown.begin(), shown.end(), index)) {
                builder.removeElement(index);
            }
        }
    }
    proxyArray.set(builder);
    return true;
}

bool KivoMorph::setInternalValue(const MPlug& plug, const MDataHandle& dataHandle) {
    if (plug.attribute() != paintTargetWeights) {
        return false;
    }
    MDataBlock block = forceCache();
    MPlug targetPlug;
    if (!findPaintedTarget(block, plug, targetPlug)) {
        return false;
    }
    if (targetPlug.child(targetWeightLock).asBool()) {
        MGlobal::displayWarning("The weights you are painting are locked and cannot be modified.");
        return true;
    }
    MStatus status;
    const MPlug weightsPlug = targetPlug.child(targetWeights, &status);
    if (!status || weightsPlug.isNull()) {
        return false;
    }

    MPlug destination = weightsPlug;
    if (plug.isElement()) {
        destination = weightsPlug.elementByLogicalIndex(plug.logicalIndex(), &status);
    }
    if (status) {
        status = destination.setMDataHandle(dataHandle);
    }
    if (!status) {
        KIVO_MORPH_REPORT(status, name());
        return false;
    }
    return normalizeWeights(targetPlug, weightsPlug);
}

bool KivoMorph::normalizeWeights(const MPlug& paintedTarget, MPlug paintedWeights) {
    MStatus status;
    const MPlug groupArray = paintedTarget.array();
    const unsigned int paintedIndex = paintedTarget.logicalIndex();

    std::vector<MPlug> lockedTargets;
    std::vector<MPlug> unlockedTargets;
    const unsigned int groupCount = groupArray.numElements();
    for (unsigned int k = 0; k < groupCount; ++k) {
        const MPlug other = groupArray.elementByPhysicalIndex(k, &status);
        if (!status) {
            KIVO_MORPH_REPORT(status, name());
            return false;
        }
        if (other.logicalIndex() == paintedIndex || !other.child(targetWeightNormalization).asBool()) {
            continue;
        }
        const MPlug weightsPlug = other.child(targetWeights);
        (other.child(targetWeightLock).asBool() ? lockedTargets : unlockedTargets).push_back(weightsPlug);
    }
    const std::size_t normalizedCount = lockedTargets.size() + unlockedTargets.size();
    if (normalizedCount == 0) {
        return false;
    }

    MIntArray points;
    paintedWeights.getExistingArrayAttributeIndices(points);
    const unsigned int pointCount = points.length();

    // Weight of one element of a target; a missing element reads as the attribute default.
    const auto elementOf = [&status](const MPlug& weightsPlug, int point) {
        return weightsPlug.elementByLogicalIndex(static_cast<unsigned int>(point), &status);
    };

    std::vector<double> painted(pointCount);
    for (unsigned int j = 0; j < pointCount; ++j) {
        painted[j] = elementOf(paintedWeights, points[j]).asDouble();
        if (!status) {
            KIVO_MORPH_REPORT(status, name());
            return false;
        }
    }
    std::vector<double> locked(pointCount, 0.0);
    std::vector<double> unlocked(pointCount, 0.0);
    std::vector<std::vector<double>> unlockedValues(unlockedTargets.size(), std::vector<double>(pointCount));
    for (const MPlug& weightsPlug : lockedTargets) {
        for (unsigned int j = 0; j < pointCount; ++j) {
            locked[j] += elementOf(weightsPlug, points[j]).asDouble();
            if (!status) {
                KIVO_MORPH_REPORT(status, name());
                return false;
            }
        }
    }
    for (std::size_t u = 0; u < unlockedTargets.size(); ++u) {
        for (unsigned int j = 0; j < pointCount; ++j) {
            unlockedValues[u][j] = elementOf(unlockedTargets[u], points[j]).asDouble();
            if (!status) {
                KIVO_MORPH_REPORT(status, name());
                return false;
            }
            unlocked[j] += unlockedValues[u][j];
        }
    }

    for (unsigned int j = 0; j < pointCount; ++j) {
        const double p = painted[j];
        const double available = 1.0 - locked[j];
        const double clamped = p > available ? available : std::max(p, 0.0);
        if (std::fabs(p - clamped) > 1e-8) {
            MPlug element = elementOf(paintedWeights, points[j]);
            if (status) {
                status = element.setDouble(clamped);
            }
            if (!status) {
                KIVO_MORPH_REPORT(status, name());
                return false;
            }
        }
        const double total = clamped + locked[j];
        const double remaining = 1.0 - total;
        for (std::size_t u = 0; u < unlockedTargets.size(); ++u) {
            double value = 0.0;
            if (total < 0.99999) {
                value = unlocked[j] > 1e-8 ? unlockedValues[u][j] / unlocked[j] * remaining
                                           : remaining / static_cast<double>(normalizedCount);
            }
            MPlug element = elementOf(unlockedTargets[u], points[j]);
            if (status) {
                status = element.setDouble(value);
            }
            if (!status) {
                KIVO_MORPH_REPORT(status, name());
                return false;
            }
        }
    }
    return true;
}
