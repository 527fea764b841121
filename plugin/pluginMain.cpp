// Entry points of the kivoMorph plug-in module.

#include "copyKivoWeights/copyKivoWeights.h"
#include "kivoMorph/kivoMorph.h"
#include "kivoMorphCommand/kivoMorphCommand.h"
#include "kivoMorphEdit/kivoMorphEdit.h"
#include "kivoMorphGPU/kivoMorphGPU.h"

#include <maya/MFnPlugin.h>
#include <maya/MGPUDeformerRegistry.h>
#include <maya/MGlobal.h>
#include <maya/MObject.h>
#include <maya/MStatus.h>

namespace {

// The registrant of the GPU override of kivoMorph nodes.
const char* const kGPUOverrideId = "KivoMorphOverride";

} // namespace

PLUGIN_EXPORT MStatus initializePlugin(MObject obj) {
    MFnPlugin plugin(obj, "kivo", "1.0.0", "202500");

    MStatus status = plugin.registerNode(KivoMorph::nodeTypeName, KivoMorph::id, KivoMorph::creator,
                                         KivoMorph::initialize, MPxNode::kDeformerNode);
    if (status) {
        status = MGPUDeformerRegistry::registerGPUDeformerCreator(KivoMorph::nodeTypeName, kGPUOverrideId,
                                                                  &KivoMorphGPUInfo::instance());
    }
    if (!status) {
        MGlobal::displayError(" Unable to register kivoMorph node! ");
        return status;
    }
    status = plugin.registerCommand(KivoMorphCommand::commandName, KivoMorphCommand::creator,
                                    KivoMorphCommand::newSyntax);
    if (!status) {
        MGlobal::displayError(" Unable to register kivoMorph command! ");
        return status;
    }
    status = plugin.registerCommand(CopyKivoCommand::commandName, CopyKivoCommand::creator,
                                    CopyKivoCommand::newSyntax);
    if (!status) {
        MGlobal::displayError(" Unable to register copyKivoWeights command! ");
        return status;
    }
    status = plugin.registerCommand(KivoMorphEditCommand::commandName, KivoMorphEditCommand::creator,
                                    KivoMorphEditCommand::newSyntax);
    if (!status) {
        MGlobal::displayError(" Unable to register kivoMorphEdit command! ");
        return status;
    }
    return status;
}

PLUGIN_EXPORT MStatus uninitializePlugin(MObject obj) {
    MFnPlugin plugin(obj);

    MGPUDeformerRegistry::deregisterGPUDeformerCreator(KivoMorph::nodeTypeName, kGPUOverrideId);
    MStatus status = plugin.deregisterNode(KivoMorph::id);
    if (!status) {
        MGlobal::displayError(" Unable to deregister kivoMorph node! ");
        return status;
    }
    status = plugin.deregisterCommand(KivoMorphCommand::commandName);
    if (!status) {
        MGlobal::displayError(" Unable to deregister kivoMorph command! ");
        return status;
    }
    status = plugin.deregisterCommand(CopyKivoCommand::commandName);
    if (!status) {
        MGlobal::displayError(" Unable to deregister copyKivoWeights command! ");
        return status;
    }
    status = plugin.deregisterCommand(KivoMorphEditCommand::commandName);
    if (!status) {
        MGlobal::displayError(" Unable to deregister kivoMorphEdit command! ");
        return status;
    }
    return status;
}
