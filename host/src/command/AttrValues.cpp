#include "command/AttrValues.h"
#include "command/Values.h"
#include "dag/MatrixData.h"
#include "dg/DataTypes.h"
#include "geometry/GeometryData.h"
#include <cmath>
#include <limits>

namespace khost {

bool WordReader::word(std::string& out) {
    if (done())
        return false;
    out = fWords[fPos++];
    return true;
}

bool WordReader::number(double& out) {
    std::string text;
    return word(text) && parseNumber(text, out);
}

bool WordReader::count(unsigned int& out) {
    double n = 0.0;
    // Counts also bound what follows, so a huge count cannot ask for more words than there are.
    if (!number(n) || n < 0 || n != std::trunc(n) || n > static_cast<double>(remaining()))
        return false;
    out = static_cast<unsigned int>(n);
    return true;
}

std::string quoted(const std::string& text) {
    std::string out = "\"";
    for (char c : text) {
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\t':
            out += "\\t";
            break;
        case '\r':
            out += "\\r";
            break;
        default:
            out += c;
        }
    }
    return out + "\"";
}

namespace {

// The numeric attributes a value of `attribute` is written as; one instance of the top attribute is
// written even when it is an array, but arrays below it cannot be.
void numericLeaves(const Attribute* attribute, std::vector<const Attribute*>& leaves, bool& ok,
                   bool top = true) {
    if (attribute->array && !top) {
        ok = false;
        return;
    }
    if (attribute->kind == AttrKind::Numeric) {
        leaves.push_back(attribute);
        return;
    }
    if (attribute->kind != AttrKind::Compound) {
        ok = false;
        return;
    }
    for (const auto& child : attribute->children)
        numericLeaves(child.get(), leaves, ok, false);
}

// A number the attribute's type cannot hold is refused rather than saturated or overflowed.
bool fitsNumericType(const Attribute* attribute, double number, std::string& problem) {
    switch (attribute->numericType) {
    case MFnNumericData::kFloat:
        if (std::fabs(number) <= std::numeric_limits<float>::max())
            return true;
        problem = formatNumber(number) + " is outside the range of a float";
        return false;
    case MFnNumericData::kInt:
    case MFnNumericData::kShort:
    case MFnNumericData::kByte:
    case MFnNumericData::kChar:
    case MFnNumericData::kInt64:
        if (number >= -2147483648.0 && number <= 2147483647.0)
            return true;
        problem = formatNumber(number) + " is outside the range of an integer";
        return false;
    default:
        return true;
    }
}

MFnData::Type dataTypeNamed(const std::string& name) {
    if (name == "string")
        return MFnData::kString;
    if (name == "pointArray")
        return MFnData::kPointArray;
    if (name == "Int32Array")
        return MFnData::kIntArray;
    if (name == "doubleArray")
        return MFnData::kDoubleArray;
    if (name == "matrix")
        return MFnData::kMatrix;
    if (name == "mesh")
        return MFnData::kMesh;
    if (name == "nurbsCurve")
        return MFnData::kNurbsCurve;
    if (name == "nurbsSurface")
        return MFnData::kNurbsSurface;
    return MFnData::kInvalid;
}

bool isNumericCompoundType(const std::string& name) {
    for (const char* prefix : {"double", "float", "long", "short"})
        for (const char* size : {"2", "3"})
            if (name == std::string(prefix) + size)
                return true;
    return false;
}

bool readMesh(WordReader& in, std::shared_ptr<Data>& data) {
    auto mesh = std::make_shared<MeshData>();
    unsigned int count = 0;
    if (!in.count(count))
        return false;
    for (unsigned int i = 0; i < count; ++i) {
        double x, y, z;
        if (!in.number(x) || !in.number(y) || !in.number(z))
            return false;
        mesh->points.append(MPoint(x, y, z));
    }
    unsigned int faces = 0;
    if (!in.count(faces))
        return false;
    MIntArray counts, connects;
    for (unsigned int f = 0; f < faces; ++f) {
        unsigned int n = 0;
        if (!in.count(n))
            return false;
        counts.append(static_cast<int>(n));
        for (unsigned int k = 0; k < n; ++k) {
            double index;
            if (!in.number(index) || index != std::trunc(index) || std::fabs(index) > 2e9)
                return false;
            connects.append(static_cast<int>(index));
        }
    }
    if (!mesh->setTopology(counts, connects))
        return false;
    unsigned int uvs = 0;
    if (!in.count(uvs))
        return false;
    MFloatArray u, v;
    constexpr double largestFloat = std::numeric_limits<float>::max();
    for (unsigned int i = 0; i < uvs; ++i) {
        double a, b;
        if (!in.number(a) || !in.number(b) || std::fabs(a) > largestFloat || std::fabs(b) > largestFloat)
            return false;
        u.append(static_cast<float>(a));
        v.append(static_cast<float>(b));
    }
    if (uvs > 0) {
        MIntArray ids;
        for (unsigned int k = 0; k < connects.length(); ++k) {
            double id;
            if (!in.number(id) || id != std::trunc(id) || std::fabs(id) > 2e9)
                return false;
            ids.append(static_cast<int>(id));
        }
        if (!mesh->setUVs(u, v, ids))
            return false;
    }
    data = mesh;
    return true;
}

bool readCurve(WordReader& in, std::shared_ptr<Data>& data) {
    auto curve = std::make_shared<NurbsCurveData>();
    double degree, spans, form, dimension;
    std::string rational;
    if (!in.number(degree) || !in.number(spans) || !in.number(form) || !in.word(rational) ||
        !in.number(dimension))
        return false;
    bool isRational = true;
    if (!parseBool(rational, isRational) || isRational || dimension != 3 || degree < 1 || degree > 7 ||
        degree != std::trunc(degree) || (form != 0 && form != 1 && form != 2))
        return false;
    curve->degree = static_cast<int>(degree);
    curve->form = form == 0   ? MFnNurbsCurve::kOpen
                  : form == 1 ? MFnNurbsCurve::kClosed
                              : MFnNurbsCurve::kPeriodic;
    unsigned int knots = 0, cvs = 0;
    if (!in.count(knots))
        return false;
    for (unsigned int k = 0; k < knots; ++k) {
        double knot;
        if (!in.number(knot))
            return false;
        curve->knots.append(knot);
    }
    if (!in.count(cvs))
        return false;
    for (unsigned int i = 0; i < cvs; ++i) {
        double x, y, z;
        if (!in.number(x) || !in.number(y) || !in.number(z))
            return false;
        curve->points.append(MPoint(x, y, z));
    }
    if (!curve->isConsistent() || spans != static_cast<double>(cvs) - degree)
        return false;
    curve->wrapPeriodicCVs();
    data = curve;
    return true;
}

bool readForm(WordReader& in, MFnNurbsSurface::Form& form) {
    double number;
    if (!in.number(number) || (number != 0 && number != 1 && number != 2))
        return false;
    form = number == 0   ? MFnNurbsSurface::kOpen
           : number == 1 ? MFnNurbsSurface::kClosed
                         : MFnNurbsSurface::kPeriodic;
    return true;
}

bool readKnots(WordReader& in, MDoubleArray& knots) {
    unsigned int count = 0;
    if (!in.count(count))
        return false;
    for (unsigned int k = 0; k < count; ++k) {
        double knot;
        if (!in.number(knot))
            return false;
        knots.append(knot);
    }
    return true;
}

bool readSurface(WordReader& in, std::shared_ptr<Data>& data) {
    auto surface = std::make_shared<NurbsSurfaceData>();
    double degreeU, degreeV;
    std::string rational;
    if (!in.number(degreeU) || !in.number(degreeV) || !readForm(in, surface->formU) ||
        !readForm(in, surface->formV) || !in.word(rational))
        return false;
    bool isRational = true;
    for (double degree : {degreeU, degreeV})
        if (degree < 1 || degree > 7 || degree != std::trunc(degree))
            return false;
    // Rational surfaces (weighted CVs) are not modelled.
    if (!parseBool(rational, isRational) || isRational)
        return false;
    surface->degreeU = static_cast<int>(degreeU);
    surface->degreeV = static_cast<int>(degreeV);
    unsigned int cvs = 0;
    if (!readKnots(in, surface->knotsU) || !readKnots(in, surface->knotsV) || !in.count(cvs))
        return false;
    for (unsigned int i = 0; i < cvs; ++i) {
        double x, y, z;
        if (!in.number(x) || !in.number(y) || !in.number(z))
            return false;
        surface->points.append(MPoint(x, y, z));
    }
    if (!surface->isConsistent())
        return false;
    surface->wrapPeriodicCVs();
    data = surface;
    return true;
}

bool readData(MFnData::Type type, WordReader& in, std::shared_ptr<Data>& data) {
    unsigned int n = 0;
    switch (type) {
    case MFnData::kString: {
        auto string = std::make_shared<StringData>();
        std::string text;
        if (!in.word(text))
            return false;
        string->value = MString(text.c_str());
        data = string;
        return true;
    }
    case MFnData::kPointArray: {
        auto points = std::make_shared<PointArrayData>();
        if (!in.count(n))
            return false;
        for (unsigned int i = 0; i < n; ++i) {
            double x, y, z, w;
            if (!in.number(x) || !in.number(y) || !in.number(z) || !in.number(w))
                return false;
            points->array.append(MPoint(x, y, z, w));
        }
        data = points;
        return true;
    }
    case MFnData::kIntArray: {
        auto ints = std::make_shared<IntArrayData>();
        if (!in.count(n))
            return false;
        for (unsigned int i = 0; i < n; ++i) {
            double v;
            if (!in.number(v) || v != std::trunc(v) || v < -2147483648.0 || v > 2147483647.0)
                return false;
            ints->array.append(static_cast<int>(v));
        }
        data = ints;
        return true;
    }
    case MFnData::kDoubleArray: {
        auto doubles = std::make_shared<DoubleArrayData>();
        if (!in.count(n))
            return false;
        for (unsigned int i = 0; i < n; ++i) {
            double v;
            if (!in.number(v))
                return false;
            doubles->array.append(v);
        }
        data = doubles;
        return true;
    }
    case MFnData::kMatrix: {
        auto matrix = std::make_shared<MatrixData>();
        for (unsigned int r = 0; r < 4; ++r)
            for (unsigned int c = 0; c < 4; ++c)
                if (!in.number(matrix->matrix[r][c]))
                    return false;
        data = matrix;
        return true;
    }
    case MFnData::kMesh:
        return readMesh(in, data);
    case MFnData::kNurbsCurve:
        return readCurve(in, data);
    case MFnData::kNurbsSurface:
        return readSurface(in, data);
    default:
        return false;
    }
}

int formNumber(MFnNurbsSurface::Form form) {
    return form == MFnNurbsSurface::kClosed ? 1 : form == MFnNurbsSurface::kPeriodic ? 2 : 0;
}

void appendMatrix(const MMatrix& m, std::string& words) {
    for (unsigned int r = 0; r < 4; ++r)
        for (unsigned int c = 0; c < 4; ++c)
            words += " " + formatNumber(m[r][c]);
}

} // namespace

bool readValue(const Attribute* attribute, const std::string& typeName, WordReader& in, Value& out,
               std::string& problem) {
    if (attribute->kind == AttrKind::Numeric || attribute->kind == AttrKind::Compound ||
        isNumericCompoundType(typeName)) {
        std::vector<const Attribute*> leaves;
        bool ok = true;
        numericLeaves(attribute, leaves, ok);
        if (!ok || (!typeName.empty() && !isNumericCompoundType(typeName)) ||
            (isNumericCompoundType(typeName) &&
             leaves.size() != static_cast<size_t>(typeName.back() - '0'))) {
            problem = "data of type " + (typeName.empty() ? std::string("numeric") : typeName) +
                      " does not fit the attribute";
            return false;
        }
        for (const Attribute* leaf : leaves) {
            double number;
            if (!in.number(number)) {
                problem = "a number was expected";
                return false;
            }
            Value* target = leaf == attribute ? &out : nullptr;
            // Descend to the leaf's value inside the compound.
            if (!target) {
                std::vector<const Attribute*> chain = leaf->chain();
                target = &out;
                bool below = false;
                for (const Attribute* a : chain) {
                    if (a == attribute) {
                        below = true;
                        continue;
                    }
                    if (below && target)
                        target = target->child(a);
                }
            }
            if (!target) {
                problem = "the attribute cannot hold the value";
                return false;
            }
            if (!fitsNumericType(leaf, number, problem))
                return false;
            target->setNumeric(leaf->clamp(number));
        }
        return true;
    }
    MFnData::Type type = typeName.empty() ? attribute->dataType : dataTypeNamed(typeName);
    if (attribute->kind == AttrKind::Generic && typeName.empty()) {
        double number;
        if (!in.number(number)) {
            problem = "a number was expected";
            return false;
        }
        out.data = MObject();
        out.setNumeric(number);
        return true;
    }
    if (type == MFnData::kInvalid || !attribute->acceptsData(type)) {
        problem = "data of type " + (typeName.empty() ? std::string("unknown") : typeName) +
                  " does not fit the attribute";
        return false;
    }
    std::shared_ptr<Data> data;
    if (!readData(type, in, data)) {
        problem = "the " + (typeName.empty() ? std::string("data") : typeName) + " value is malformed";
        return false;
    }
    out.data = MObject(data);
    return true;
}

bool printValue(const Value& value, CommandResult& result, std::string& problem) {
    if (value.isArray) {
        for (const auto& e : value.elements)
            if (!printValue(*e.second, result, problem))
                return false;
        return true;
    }
    if (!value.children.empty()) {
        for (const auto& c : value.children)
            if (!printValue(*c, result, problem))
                return false;
        return true;
    }
    if (value.attr->kind == AttrKind::Numeric ||
        (value.attr->kind == AttrKind::Generic && value.data.isNull())) {
        result.append(value.numeric());
        return true;
    }
    const Object* data = value.data.impl().get();
    if (!data)
        return true;
    if (auto* s = dynamic_cast<const StringData*>(data)) {
        result.append(std::string(s->value.asChar()));
    } else if (auto* points = dynamic_cast<const PointArrayData*>(data)) {
        for (const MPoint& p : points->array)
            for (double c : {p.x, p.y, p.z, p.w})
                result.append(c);
    } else if (auto* ints = dynamic_cast<const IntArrayData*>(data)) {
        for (int v : ints->array)
            result.append(static_cast<double>(v));
    } else if (auto* doubles = dynamic_cast<const DoubleArrayData*>(data)) {
        for (double v : doubles->array)
            result.append(v);
    } else if (auto* matrix = dynamic_cast<const MatrixData*>(data)) {
        for (unsigned int r = 0; r < 4; ++r)
            for (unsigned int c = 0; c < 4; ++c)
                result.append(matrix->matrix[r][c]);
    } else {
        problem = "its data cannot be printed";
        return false;
    }
    return true;
}

bool writeValue(const Value& value, std::string& words) {
    if (value.attr->kind == AttrKind::Numeric ||
        (value.attr->kind == AttrKind::Generic && value.data.isNull())) {
        words = formatNumber(value.numeric());
        return true;
    }
    const Object* data = value.data.impl().get();
    if (!data)
        return false;
    if (auto* s = dynamic_cast<const StringData*>(data)) {
        words = "-type \"string\" " + quoted(s->value.asChar());
    } else if (auto* points = dynamic_cast<const PointArrayData*>(data)) {
        words = "-type \"pointArray\" " + std::to_string(points->array.length());
        for (const MPoint& p : points->array)
            for (double c : {p.x, p.y, p.z, p.w})
                words += " " + formatNumber(c);
    } else if (auto* ints = dynamic_cast<const IntArrayData*>(data)) {
        words = "-type \"Int32Array\" " + std::to_string(ints->array.length());
        for (int v : ints->array)
            words += " " + std::to_string(v);
    } else if (auto* doubles = dynamic_cast<const DoubleArrayData*>(data)) {
        words = "-type \"doubleArray\" " + std::to_string(doubles->array.length());
        for (double v : doubles->array)
            words += " " + formatNumber(v);
    } else if (auto* matrix = dynamic_cast<const MatrixData*>(data)) {
        words = "-type \"matrix\"";
        appendMatrix(matrix->matrix, words);
    } else if (auto* mesh = dynamic_cast<const MeshData*>(data)) {
        words = "-type \"mesh\" " + std::to_string(mesh->points.length());
        for (const MPoint& p : mesh->points)
            for (double c : {p.x, p.y, p.z})
                words += " " + formatNumber(c);
        words += " " + std::to_string(mesh->numPolygons());
        unsigned int k = 0;
        for (int count : mesh->faceCounts()) {
            words += " " + std::to_string(count);
            for (int i = 0; i < count; ++i)
                words += " " + std::to_string(mesh->faceConnects()[k++]);
        }
        words += " " + std::to_string(mesh->u().length());
        for (unsigned int i = 0; i < mesh->u().length(); ++i)
            words += " " + formatNumber(mesh->u()[i]) + " " + formatNumber(mesh->v()[i]);
        if (mesh->u().length() > 0)
            for (int id : mesh->uvIds())
                words += " " + std::to_string(id);
    } else if (auto* curve = dynamic_cast<const NurbsCurveData*>(data)) {
        int form = curve->form == MFnNurbsCurve::kClosed     ? 1
                   : curve->form == MFnNurbsCurve::kPeriodic ? 2
                                                             : 0;
        words = "-type \"nurbsCurve\" " + std::to_string(curve->degree) + " " +
                std::to_string(static_cast<int>(curve->points.length()) - curve->degree) + " " +
                std::to_string(form) + " no 3 " + std::to_string(curve->knots.length());
        for (double knot : curve->knots)
            words += " " + formatNumber(knot);
        words += " " + std::to_string(curve->points.length());
        for (const MPoint& p : curve->points)
            for (double c : {p.x, p.y, p.z})
                words += " " + formatNumber(c);
    } else if (auto* surface = dynamic_cast<const NurbsSurfaceData*>(data)) {
        words = "-type \"nurbsSurface\" " + std::to_string(surface->degreeU) + " " +
                std::to_string(surface->degreeV) + " " + std::to_string(formNumber(surface->formU)) + " " +
                std::to_string(formNumber(surface->formV)) + " no";
        for (const MDoubleArray* knots : {&surface->knotsU, &surface->knotsV}) {
            words += " " + std::to_string(knots->length());
            for (double knot : *knots)
                words += " " + formatNumber(knot);
        }
        words += " " + std::to_string(surface->points.length());
        for (const MPoint& p : surface->points)
            for (double c : {p.x, p.y, p.z})
                words += " " + formatNumber(c);
    } else {
        return false;
    }
    return true;
}

} // namespace khost
