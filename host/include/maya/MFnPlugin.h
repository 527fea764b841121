#pragma once
// The function set a plug-in's entry points receive: registers and deregisters what the plug-in adds.
#include <maya/MFnBase.h>
#include <maya/MObject.h>
#include <maya/MPxNode.h>
#include <maya/MStatus.h>
#include <maya/MString.h>
#include <maya/MTypeId.h>
#include <maya/MTypes.h>

class MFnPlugin : public MFnBase {
public:
    MFnPlugin() = default;
    MFnPlugin(MObject& object, const char* vendor = "Unknown", const char* version = "Unknown",
              const char* requiredApiVersion = "Any", MStatus* ReturnStatus = 0L);
    ~MFnPlugin() override = default;
    MFn::Type type() const override { return MFn::kPlugin; }

    MString vendor(MStatus* ReturnStatus = nullptr) const;
    MString version(MStatus* ReturnStatus = nullptr) const;
    MString name(MStatus* ReturnStatus = nullptr) const;
    MString loadPath(MStatus* ReturnStatus = nullptr) const;

    MStatus registerCommand(const MString& commandName, MCreatorFunction creatorFunction,
                            MCreateSyntaxFunction createSyntaxFunction = nullptr);
    MStatus deregisterCommand(const MString& commandName);
    MStatus registerNode(const MString& typeName, const MTypeId& typeId, MCreatorFunction creatorFunction,
                         MInitializeFunction initFunction, MPxNode::Type type = MPxNode::kDependNode,
                         const MString* classification = nullptr);
    MStatus deregisterNode(const MTypeId& typeId);
};

// Including this header in one source file of a plug-in exports the API version the plug-in was built
// against; other files of the same plug-in define MNoVersionString to avoid a second definition.
#ifndef MNoVersionString
PLUGIN_EXPORT const char MApiVersion[] = "20230300";
// Stands in for the signature block the development kit embeds; its content carries no meaning here.
PLUGIN_EXPORT const unsigned char ADSK_PLUGIN_SIGNATURE[16] = {'K', 'I', 'V', 'O', 'H', 'O', 'S', 'T',
                                                               '2', '0', '2', '3', '0', '3', '0', '0'};
#endif

#ifndef MNoPluginEntry
PLUGIN_EXPORT MStatus initializePlugin(MObject obj);
PLUGIN_EXPORT MStatus uninitializePlugin(MObject obj);
#endif
