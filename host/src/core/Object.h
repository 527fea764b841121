#pragma once
// The base of everything an MObject can refer to.
#include <maya/MFn.h>
#include <maya/MObject.h>
#include <memory>

namespace khost {

class Object : public std::enable_shared_from_this<Object> {
public:
    virtual ~Object() = default;
    virtual MFn::Type apiType() const = 0;
    // True for the object's own type and each of its base types.
    virtual bool hasFn(MFn::Type type) const { return type == apiType() || type == MFn::kBase; }
    // A node that was deleted stays reachable through old handles but is no longer valid.
    virtual bool alive() const { return true; }
};

// Typed-data payload held by attributes (geometry, arrays, strings).
class Data : public Object {
public:
    bool hasFn(MFn::Type type) const override { return Object::hasFn(type) || type == MFn::kData; }
    // A deep copy: data travelling along a connection or copied into an output never aliases its source.
    virtual std::shared_ptr<Data> clone() const = 0;
    // False when a number in the payload is infinite or NaN: such data is refused wherever it would
    // enter the scene, since nothing can compute with it or write it to a file.
    virtual bool finite() const { return true; }
};

template <class T> T* objectAs(const MObject& object) {
    return dynamic_cast<T*>(object.impl().get());
}

} // namespace khost
