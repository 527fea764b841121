#pragma once
// Offsets found through the UVs of a base mesh: a point's UV is mirrored around U = 0.5, or around
// the U-centre of its UV shell, and the offsets of the face found at the mirrored UV are blended
// there by inverse UV distance.

#include <maya/MDagPath.h>
#include <maya/MFnMesh.h>
#include <maya/MIntArray.h>
#include <maya/MPoint.h>
#include <maya/MString.h>
#include <maya/MVector.h>

#include <vector>

class UVOffsetSearch {
public:
    // Takes the base mesh's current UV set, and with shellCentres the U-centre of each of its shells.
    // Fails with a message when the mesh has no UV set or its shells cannot be read.
    MStatus prepare(const MDagPath& basePath, bool shellCentres);

    // The offset for a base point whose reflection is `mirrored`; false when none is found.
    bool find(const MPoint& basePoint, const MPoint& mirrored, const std::vector<MVector>& offsets,
              MVector& offset);

private:
    bool pivotOf(int polygon, double& pivot) const;
    bool uvOffsetAt(float u, float v, const MPoint& reference, const std::vector<MVector>& offsets,
                    MVector& offset);

    MFnMesh fMesh;
    MString fUVSet;
    bool fShellCentres = false;
    MIntArray fShellIds;
    std::vector<double> fCentres;
};

// (smallest U + largest U) / 2 over the UVs of each shell; 0.5 for a shell without UVs. UVs whose
// shell id is out of range are left out.
std::vector<double> shellCentres(const MIntArray& shellIds, unsigned int shellCount, const MFloatArray& u);
