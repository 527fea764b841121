#pragma once
#include <maya/MFn.h>
#include <memory>

namespace khost {
class Object;
}

// A handle to an object owned by the host: a node, an attribute or a data object.
// Copies share the object.
class MObject {
public:
    MObject() = default;
    MObject(const MObject& other) = default;
    MObject& operator=(const MObject& other) = default;
    ~MObject() = default;

    bool hasFn(MFn::Type fs) const;
    bool isNull() const;
    MFn::Type apiType() const;
    bool operator==(const MObject& other) const { return fObject == other.fObject; }
    bool operator!=(const MObject& other) const { return fObject != other.fObject; }

    static const MObject kNullObj;

    // Host side only: the object behind the handle.
    explicit MObject(std::shared_ptr<khost::Object> object) : fObject(std::move(object)) {}
    const std::shared_ptr<khost::Object>& impl() const { return fObject; }

private:
    std::shared_ptr<khost::Object> fObject;
};
