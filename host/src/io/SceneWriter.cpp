#include "io/SceneWriter.h"
#include "command/AttrValues.h"
#include "command/Names.h"
#include "dg/Scene.h"
#include <algorithm>
#include <fstream>
#include <set>
#include <sstream>

namespace khost {

namespace {

bool fedByConnection(Node* node, const PlugKey& key) {
    for (const auto& in : node->incoming)
        if (key.within(in.first))
            return true;
    return false;
}

bool atDefault(const Value& value) {
    if (value.attr->kind == AttrKind::Numeric)
        return value.numeric() == value.attr->defaultValue;
    return value.data.isNull() && value.numeric() == 0.0;
}

class Writer {
public:
    explicit Writer(std::ostream& out) : fOut(out) {}

    void values(Node* node, const Value& value, const PlugKey& key, bool inElement) {
        const Attribute* a = value.attr;
        if (!a->storable || !a->writable || node->cls->isComputed(a) || fedByConnection(node, key))
            return;
        if (value.isArray) {
            for (const auto& e : value.elements) {
                PlugKey element = key;
                element.indices.back() = static_cast<int>(e.first);
                values(node, *e.second, element, true);
            }
            return;
        }
        if (!value.children.empty()) {
            for (const auto& c : value.children) {
                PlugKey child{c->attr, key.indices};
                if (c->attr->array)
                    child.indices.push_back(-1);
                values(node, *c, child, inElement);
            }
            return;
        }
        std::unique_ptr<Value> internal;
        const Value* stored = &value;
        // Internal values live in the node: ask it.
        if (a->internal) {
            internal = Scene::instance().getValue(plugFor(node, key));
            if (!internal)
                return;
            stored = internal.get();
        }
        if (!inElement && atDefault(*stored))
            return;
        if (!stored->finite()) {
            if (fProblem.empty())
                fProblem = "'" + plugText(node, key) + "' holds a number that is not finite";
            return;
        }
        std::string words;
        if (writeValue(*stored, words))
            fOut << "setAttr " << quoted(plugText(node, key)) << " " << words << ";\n";
    }

    void node(Node* n, std::set<Node*>& written) {
        if (written.count(n))
            return;
        if (n->parent)
            node(n->parent, written);
        written.insert(n);
        fOut << "createNode " << n->cls->name << " -n " << quoted(n->name);
        if (n->parent)
            fOut << " -p " << quoted(n->parent->name);
        fOut << ";\n";
        for (const Attribute* root : n->cls->roots())
            if (const Value* v = n->rootValue(root))
                values(n, *v, PlugKey{root, std::vector<int>(root->arrayDepth(), -1)}, false);
    }

    const std::string& problem() const { return fProblem; }

private:
    std::ostream& fOut;
    std::string fProblem;
};

} // namespace

MStatus writeScene(std::string& text, std::string& problem) {
    std::ostringstream out;
    out << "// kivo scene\n";
    const auto& nodes = Scene::instance().nodes();
    std::set<std::string> plugins;
    for (const auto& n : nodes)
        if (n->cls->fromPlugin && !n->cls->pluginName.empty() && plugins.insert(n->cls->pluginName).second)
            out << "loadPlugin " << quoted(n->cls->pluginName) << ";\n";
    Writer writer(out);
    std::set<Node*> written;
    for (const auto& n : nodes)
        writer.node(n.get(), written);
    std::vector<std::string> aliases, connections, locks;
    for (const auto& n : nodes) {
        for (const auto& alias : n->aliases)
            aliases.push_back("aliasAttr " + quoted(alias.first) + " " +
                              quoted(plugText(n.get(), alias.second)) + ";\n");
        for (const auto& in : n->incoming)
            connections.push_back("connectAttr " + quoted(plugText(in.second.node, in.second.key)) + " " +
                                  quoted(plugText(n.get(), in.first)) + ";\n");
        for (const PlugKey& key : n->locked)
            locks.push_back("setAttr -l true " + quoted(plugText(n.get(), key)) + ";\n");
    }
    // Sorted, so that the same scene always gives the same file.
    for (auto* lines : {&aliases, &connections, &locks}) {
        std::sort(lines->begin(), lines->end());
        for (const std::string& line : *lines)
            out << line;
    }
    problem = writer.problem();
    if (!problem.empty())
        return MS::kFailure;
    text = out.str();
    return MS::kSuccess;
}

MStatus saveScene(const std::string& path, std::string& problem) {
    std::string text;
    MStatus status = writeScene(text, problem);
    if (!status)
        return status;
    std::ofstream file(path, std::ios::binary);
    if (!file) {
        problem = "the file cannot be written";
        return MS::kFailure;
    }
    file << text;
    file.close();
    if (!file) {
        problem = "the file cannot be written";
        return MS::kFailure;
    }
    return MS::kSuccess;
}

} // namespace khost
