#pragma once
// An ordered list of selected nodes, plugs and components.
#include <maya/MDagPath.h>
#include <maya/MObject.h>
#include <maya/MPlug.h>
#include <maya/MStatus.h>
#include <maya/MString.h>
#include <string>
#include <vector>

class MStringArray;

class MSelectionList {
public:
    enum MergeStrategy { kMergeNormal, kXORWithList, kRemoveFromList };

    MSelectionList() = default;
    MSelectionList(const MSelectionList& src) = default;
    MSelectionList& operator=(const MSelectionList& other) = default;
    virtual ~MSelectionList() = default;

    MStatus clear();
    bool isEmpty(MStatus* ReturnStatus = nullptr) const;
    unsigned int length(MStatus* ReturnStatus = nullptr) const;

    // Adds every node, plug or component the name or pattern (* and ?) matches; fails with
    // kInvalidParameter and adds nothing when nothing matches.
    MStatus add(const MString& matchString, const bool searchChildNamespacesToo = false);
    MStatus add(const MObject& object, const bool mergeWithExisting = false);
    MStatus add(const MPlug& plug, const bool mergeWithExisting = true);
    // Component objects are not modelled: a non-null component fails with kInvalidParameter.
    MStatus add(const MDagPath& object, const MObject& component = MObject::kNullObj,
                const bool mergeWithExisting = false);
    MStatus remove(unsigned int index);
    MStatus merge(const MSelectionList& other, const MergeStrategy strategy = kMergeNormal);
    bool hasItem(const MObject& item, MStatus* ReturnStatus = nullptr) const;

    MStatus getDependNode(unsigned int index, MObject& depNode) const;
    MStatus getPlug(unsigned int index, MPlug& plug) const;
    // Fails for items that are not DAG nodes (or components of one).
    MStatus getDagPath(unsigned int index, MDagPath& dagPath) const;
    MStatus getSelectionStrings(MStringArray& array) const;

    // Host side only. A component is a kind ("vtx", "cv") and point indices on a shape. The CVs of a
    // surface are named by row and column: point index row * columns + column.
    struct Item {
        MObject node;
        MPlug plug;
        std::string componentKind;
        std::vector<unsigned int> indices;
        unsigned int columns = 0;
        bool sameAs(const Item& other) const;
        std::string text() const;
    };
    void addItem(const Item& item, bool mergeWithExisting);
    const std::vector<Item>& items() const { return fItems; }
    // Drops items whose node was deleted.
    void prune();

private:
    std::vector<Item> fItems;
};
