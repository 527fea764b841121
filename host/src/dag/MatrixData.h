#pragma once
// A matrix value, as carried by matrix attributes (a transform's matrix and worldMatrix).
#include "dg/DataTypes.h"
#include <maya/MMatrix.h>

namespace khost {

class MatrixData : public Data {
public:
    MFn::Type apiType() const override { return MFn::kMatrixData; }
    std::shared_ptr<Data> clone() const override { return std::make_shared<MatrixData>(*this); }
    bool finite() const override { return allFinite(matrix); }
    MMatrix matrix;
};

} // namespace khost
