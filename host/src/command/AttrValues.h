#pragma once
// Attribute values as the command language writes them: what setAttr reads, getAttr prints and
// scene files store.
//
// Typed forms (after -type "NAME"):
//   string       "text"
//   pointArray   N x y z w ...            Int32Array  N i ...        doubleArray  N d ...
//   matrix       16 numbers, row by row
//   double3 (and double2, float2/3, long2/3, short2/3) on numeric compounds: one number per child
//   nurbsCurve   degree spans form rational dimension K knot... N x y z ...
//                as in Maya's .ma files: form 0 open, 1 closed, 2 periodic; rational "no" and
//                dimension 3 only; Maya's knot count (N + degree - 1)
//   nurbsSurface degreeU degreeV formU formV rational KU knot... KV knot... N x y z ...
//                as in Maya's .ma files: CVs with v varying fastest (cv[iu][iv]); rational "no"
//                only; Maya's knot counts (CVs + degree - 1 in each direction)
//   mesh         V x y z ... F (count index...)... U u v ... uvId...
//                the host's own form: V points, F faces each given as its vertex count and indices,
//                then U UVs of the default set and, when U > 0, one UV id per face-vertex
#include "command/Result.h"
#include "dg/Value.h"
#include <string>
#include <vector>

namespace khost {

class WordReader {
public:
    explicit WordReader(const std::vector<std::string>& words) : fWords(words) {}
    bool done() const { return fPos >= fWords.size(); }
    size_t remaining() const { return fWords.size() - fPos; }
    bool word(std::string& out);
    bool number(double& out);
    bool count(unsigned int& out);

private:
    const std::vector<std::string>& fWords;
    size_t fPos = 0;
};

// Reads one value of the attribute (not an array container) into `out`. typeName is the -type
// argument, empty when none was given.
bool readValue(const Attribute* attribute, const std::string& typeName, WordReader& in, Value& out,
               std::string& problem);
// Appends what getAttr prints for the value: numbers, strings, every element of arrays.
bool printValue(const Value& value, CommandResult& result, std::string& problem);
// The setAttr words for a leaf value (numeric, or typed data with its -type); false when the
// value cannot be written (no data).
bool writeValue(const Value& value, std::string& words);
// Quotes text for the command language.
std::string quoted(const std::string& text);

} // namespace khost
