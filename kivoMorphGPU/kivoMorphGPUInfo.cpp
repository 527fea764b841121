// The registration of the GPU override: it accepts every kivoMorph node; whether a geometry is deformed,
// passed through or retried is decided by each evaluation.

#include "kivoMorph/kivoMorph.h"
#include "kivoMorphGPU/kivoMorphGPU.h"

#include <maya/MObjectArray.h>

MPxGPUDeformer* KivoMorphGPUInfo::createGPUDeformer() {
    return new KivoMorphGPU();
}

bool KivoMorphGPUInfo::validateNodeInGraph(MDataBlock&, const MEvaluationNode&, const MPlug&, MStringArray*) {
    return true;
}

bool KivoMorphGPUInfo::validateNodeValues(MDataBlock&, const MEvaluationNode&, const MPlug&, MStringArray*) {
    return true;
}

void KivoMorphGPUInfo::inputAttributes(MObjectArray& attributes) {
    attributes.append(MPxGeometryFilter::inputGeom);
    attributes.append(KivoMorph::inputGeomTarget);
}

KivoMorphGPUInfo& KivoMorphGPUInfo::instance() {
    static KivoMorphGPUInfo info;
    return info;
}
