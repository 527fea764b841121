#include "command/Names.h"
#include "command/Selection.h"
#include <algorithm>
#include <maya/MGlobal.h>
#include <maya/MStringArray.h>

namespace {

std::string rangesText(const std::vector<unsigned int>& indices) {
    // Consecutive indices print as one range, as Maya lists components.
    std::string text;
    for (size_t k = 0; k < indices.size();) {
        size_t end = k;
        while (end + 1 < indices.size() && indices[end + 1] == indices[end] + 1)
            ++end;
        if (!text.empty())
            text += ' ';
        text += "[" + std::to_string(indices[k]);
        if (end > k)
            text += ":" + std::to_string(indices[end]);
        text += "]";
        k = end + 1;
    }
    return text;
}

} // namespace

bool MSelectionList::Item::sameAs(const Item& other) const {
    return node == other.node && plug == other.plug && componentKind == other.componentKind &&
           indices == other.indices && columns == other.columns;
}

std::string MSelectionList::Item::text() const {
    khost::Node* n = khost::nodeOf(node);
    if (!n)
        return std::string();
    if (!plug.isNull())
        return plug.partialName(true).asChar();
    if (componentKind.empty())
        return n->name;
    if (columns > 0) {
        std::string text;
        for (unsigned int index : indices)
            text += (text.empty() ? "" : " ") + n->name + "." + componentKind + "[" +
                    std::to_string(index / columns) + "][" + std::to_string(index % columns) + "]";
        return text;
    }
    std::string ranges = rangesText(indices), text;
    size_t start = 0;
    // Several runs: one "node.vtx[a:b]" word per run.
    while (start < ranges.size()) {
        size_t end = ranges.find(' ', start);
        if (!text.empty())
            text += ' ';
        text += n->name + "." + componentKind + ranges.substr(start, end - start);
        start = end == std::string::npos ? ranges.size() : end + 1;
    }
    return text;
}

MStatus MSelectionList::clear() {
    fItems.clear();
    return MS::kSuccess;
}

bool MSelectionList::isEmpty(MStatus* ReturnStatus) const {
    if (ReturnStatus)
        *ReturnStatus = MS::kSuccess;
    return fItems.empty();
}

unsigned int MSelectionList::length(MStatus* ReturnStatus) const {
    if (ReturnStatus)
        *ReturnStatus = MS::kSuccess;
    return static_cast<unsigned int>(fItems.size());
}

void MSelectionList::addItem(const Item& item, bool mergeWithExisting) {
    if (mergeWithExisting)
        for (const Item& existing : fItems)
            if (existing.sameAs(item))
                return;
    fItems.push_back(item);
}

MStatus MSelectionList::add(const MString& matchString, const bool) {
    std::string text = matchString.asChar();
    size_t dot = text.find('.');
    std::vector<khost::Node*> nodes = khost::matchNodes(text.substr(0, dot));
    std::vector<Item> found;
    for (khost::Node* node : nodes) {
        Item item;
        if (dot == std::string::npos) {
            item.node = node->handle();
        } else {
            std::string rest = text.substr(dot + 1);
            khost::PlugPath path;
            if (!khost::resolveComponent(node, rest, item)) {
                if (!khost::resolveAttribute(node, rest, path) || path.hasRange)
                    continue;
                item.node = node->handle();
                item.plug = khost::plugFor(node, path.key);
            }
        }
        found.push_back(item);
    }
    if (found.empty())
        return MS::kInvalidParameter;
    for (const Item& item : found)
        addItem(item, true);
    return MS::kSuccess;
}

MStatus MSelectionList::add(const MObject& object, const bool mergeWithExisting) {
    if (!khost::nodeOf(object))
        return MS::kInvalidParameter;
    Item item;
    item.node = object;
    addItem(item, mergeWithExisting);
    return MS::kSuccess;
}

MStatus MSelectionList::add(const MPlug& plug, const bool mergeWithExisting) {
    if (plug.isNull())
        return MS::kInvalidParameter;
    Item item;
    item.node = plug.node();
    item.plug = plug;
    addItem(item, mergeWithExisting);
    return MS::kSuccess;
}

MStatus MSelectionList::add(const MDagPath& object, const MObject& component, const bool mergeWithExisting) {
    if (!object.isValid() || !component.isNull())
        return MS::kInvalidParameter;
    return add(object.node(), mergeWithExisting);
}

MStatus MSelectionList::remove(unsigned int index) {
    if (index >= fItems.size())
        return MS::kInvalidParameter;
    fItems.erase(fItems.begin() + index);
    return MS::kSuccess;
}

MStatus MSelectionList::merge(const MSelectionList& other, const MergeStrategy strategy) {
    for (const Item& item : other.fItems) {
        auto same = [&](const Item& existing) { return existing.sameAs(item); };
        auto it = std::find_if(fItems.begin(), fItems.end(), same);
        switch (strategy) {
        case kMergeNormal:
            if (it == fItems.end())
                fItems.push_back(item);
            break;
        case kXORWithList:
            if (it == fItems.end())
                fItems.push_back(item);
            else
                fItems.erase(it);
            break;
        case kRemoveFromList:
            fItems.erase(std::remove_if(fItems.begin(), fItems.end(), same), fItems.end());
            break;
        }
    }
    return MS::kSuccess;
}

bool MSelectionList::hasItem(const MObject& item, MStatus* ReturnStatus) const {
    if (ReturnStatus)
        *ReturnStatus = MS::kSuccess;
    return std::any_of(fItems.begin(), fItems.end(), [&](const Item& i) {
        return i.node == item && i.plug.isNull() && i.componentKind.empty();
    });
}

MStatus MSelectionList::getDependNode(unsigned int index, MObject& depNode) const {
    if (index >= fItems.size() || !khost::nodeOf(fItems[index].node))
        return MS::kInvalidParameter;
    depNode = fItems[index].node;
    return MS::kSuccess;
}

MStatus MSelectionList::getPlug(unsigned int index, MPlug& plug) const {
    if (index >= fItems.size() || fItems[index].plug.isNull())
        return MS::kInvalidParameter;
    plug = fItems[index].plug;
    return MS::kSuccess;
}

MStatus MSelectionList::getDagPath(unsigned int index, MDagPath& dagPath) const {
    if (index >= fItems.size())
        return MS::kInvalidParameter;
    khost::Node* node = khost::nodeOf(fItems[index].node);
    if (!node || !node->isDag())
        return MS::kInvalidParameter;
    return MDagPath::getAPathTo(fItems[index].node, dagPath);
}

MStatus MSelectionList::getSelectionStrings(MStringArray& array) const {
    array.clear();
    for (const Item& item : fItems) {
        std::string text = item.text();
        size_t start = 0;
        while (start < text.size()) {
            size_t end = text.find(' ', start);
            array.append(MString(text.substr(start, end - start).c_str()));
            start = end == std::string::npos ? text.size() : end + 1;
        }
    }
    return MS::kSuccess;
}

void MSelectionList::prune() {
    fItems.erase(std::remove_if(fItems.begin(), fItems.end(),
                                [](const Item& item) { return !khost::nodeOf(item.node); }),
                 fItems.end());
}

namespace khost {
MSelectionList& activeSelection() {
    static MSelectionList selection;
    return selection;
}
} // namespace khost

MStatus MGlobal::getActiveSelectionList(MSelectionList& dest, bool) {
    khost::activeSelection().prune();
    dest = khost::activeSelection();
    return MS::kSuccess;
}

MStatus MGlobal::setActiveSelectionList(const MSelectionList& src, ListAdjustment adjustment) {
    MSelectionList& active = khost::activeSelection();
    active.prune();
    switch (adjustment) {
    case kReplaceList:
        active = src;
        break;
    case kXORWithList:
        active.merge(src, MSelectionList::kXORWithList);
        break;
    case kAddToList:
        active.merge(src, MSelectionList::kMergeNormal);
        break;
    case kRemoveFromList:
        active.merge(src, MSelectionList::kRemoveFromList);
        break;
    case kAddToHeadOfList: {
        MSelectionList combined = src;
        combined.merge(active, MSelectionList::kMergeNormal);
        active = combined;
        break;
    }
    }
    active.prune();
    return MS::kSuccess;
}
