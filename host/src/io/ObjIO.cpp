#include "io/ObjIO.h"
#include "command/Values.h"
#include "dag/Dag.h"
#include <cctype>
#include <cmath>
#include <fstream>
#include <limits>
#include <map>
#include <tiny_obj_loader.h>

namespace khost {

namespace {

std::string objectName(const std::string& name) {
    std::string clean;
    for (char c : name)
        clean += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
    if (clean.empty() || std::isdigit(static_cast<unsigned char>(clean[0])))
        return "polySurface#";
    return clean;
}

} // namespace

MStatus exportObj(const std::string& path, const std::vector<Node*>& shapes, std::string& problem) {
    std::ofstream out(path, std::ios::binary);
    if (!out) {
        problem = "cannot write '" + path + "'";
        return MS::kFailure;
    }
    out << "# kivo OBJ export\n";
    size_t vertexBase = 1, uvBase = 1;
    for (Node* shape : shapes) {
        GeometryData* geometry = shapeGeometry(shape);
        MPointArray points;
        if (!geometry || !getShapePoints(shape, points, MSpace::kWorld)) {
            problem = "'" + shape->name + "' has no geometry";
            return MS::kFailure;
        }
        out << "o " << (shape->parent ? shape->parent->name : shape->name) << "\n";
        for (const MPoint& p : points)
            out << "v " << formatNumber(p.x) << " " << formatNumber(p.y) << " " << formatNumber(p.z) << "\n";
        if (auto* mesh = dynamic_cast<MeshData*>(geometry)) {
            bool uvs = mesh->u().length() > 0;
            for (unsigned int i = 0; i < mesh->u().length(); ++i)
                out << "vt " << formatNumber(mesh->u()[i]) << " " << formatNumber(mesh->v()[i]) << "\n";
            unsigned int k = 0;
            for (int count : mesh->faceCounts()) {
                out << "f";
                for (int i = 0; i < count; ++i, ++k) {
                    out << " " << vertexBase + static_cast<size_t>(mesh->faceConnects()[k]);
                    if (uvs)
                        out << "/" << uvBase + static_cast<size_t>(mesh->uvIds()[k]);
                }
                out << "\n";
            }
            uvBase += mesh->u().length();
        } else {
            out << "l";
            for (size_t i = 0; i < points.length(); ++i)
                out << " " << vertexBase + i;
            out << "\n";
        }
        vertexBase += points.length();
    }
    out.close();
    if (!out) {
        problem = "cannot write '" + path + "'";
        return MS::kFailure;
    }
    return MS::kSuccess;
}

MStatus importObj(UndoRecord& record, const std::string& path, std::vector<std::string>& created,
                  std::string& problem) {
    tinyobj::ObjReaderConfig config;
    config.triangulate = false;
    config.vertex_color = false;
    tinyobj::ObjReader reader;
    if (!reader.ParseFromFile(path, config)) {
        problem = reader.Error().empty() ? "cannot read '" + path + "'" : reader.Error();
        while (!problem.empty() && problem.back() == '\n')
            problem.pop_back();
        return MS::kFailure;
    }
    const tinyobj::attrib_t& attrib = reader.GetAttrib();
    for (const tinyobj::shape_t& shape : reader.GetShapes()) {
        const tinyobj::mesh_t& faces = shape.mesh;
        if (faces.num_face_vertices.empty())
            continue;
        // The object's own vertices and UVs, in the file's order.
        std::map<int, int> vertexMap, uvMap;
        bool allUVs = true;
        for (const tinyobj::index_t& index : faces.indices) {
            vertexMap.emplace(index.vertex_index, 0);
            if (index.texcoord_index < 0)
                allUVs = false;
            else
                uvMap.emplace(index.texcoord_index, 0);
        }
        auto mesh = std::make_shared<MeshData>();
        int next = 0;
        for (auto& entry : vertexMap) {
            size_t at = static_cast<size_t>(entry.first) * 3;
            if (entry.first < 0 || at + 2 >= attrib.vertices.size()) {
                problem = "a face of '" + shape.name + "' names a vertex that does not exist";
                return MS::kFailure;
            }
            const MPoint point(attrib.vertices[at], attrib.vertices[at + 1], attrib.vertices[at + 2]);
            if (!std::isfinite(point.x) || !std::isfinite(point.y) || !std::isfinite(point.z)) {
                problem = "'" + path + "' has a vertex that is not at a finite position";
                return MS::kFailure;
            }
            mesh->points.append(point);
            entry.second = next++;
        }
        MIntArray counts, connects, uvIds;
        for (unsigned char count : faces.num_face_vertices)
            counts.append(count);
        for (const tinyobj::index_t& index : faces.indices)
            connects.append(vertexMap[index.vertex_index]);
        if (!mesh->setTopology(counts, connects)) {
            problem = "the faces of '" + shape.name + "' are not valid polygons";
            return MS::kFailure;
        }
        if (allUVs && !uvMap.empty()) {
            MFloatArray u, v;
            next = 0;
            for (auto& entry : uvMap) {
                size_t at = static_cast<size_t>(entry.first) * 2;
                if (entry.first < 0 || at + 1 >= attrib.texcoords.size()) {
                    problem = "a face of '" + shape.name + "' names a UV that does not exist";
                    return MS::kFailure;
                }
                const double uv[2] = {attrib.texcoords[at], attrib.texcoords[at + 1]};
                for (double coordinate : uv)
                    if (!(std::fabs(coordinate) <= std::numeric_limits<float>::max())) {
                        problem = "'" + path + "' has a UV beyond the range of a float";
                        return MS::kFailure;
                    }
                u.append(static_cast<float>(uv[0]));
                v.append(static_cast<float>(uv[1]));
                entry.second = next++;
            }
            for (const tinyobj::index_t& index : faces.indices)
                uvIds.append(uvMap[index.texcoord_index]);
            mesh->setUVs(u, v, uvIds);
        }
        auto transform = createShape(record, "mesh", MObject(mesh), objectName(shape.name), nullptr, nullptr);
        if (!transform) {
            problem = "cannot create a mesh for '" + shape.name + "'";
            return MS::kFailure;
        }
        created.push_back(transform->name);
    }
    if (created.empty()) {
        problem = "'" + path + "' has no polygons";
        return MS::kFailure;
    }
    return MS::kSuccess;
}

} // namespace khost
