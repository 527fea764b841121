#include "command/Names.h"
#include "command/Components.h"
#include "dag/Dag.h"
#include <cstdlib>

namespace khost {

bool globMatch(const std::string& pattern, const std::string& text) {
    size_t p = 0, t = 0, star = std::string::npos, resume = 0;
    while (t < text.size()) {
        if (p < pattern.size() && (pattern[p] == '?' || pattern[p] == text[t])) {
            ++p;
            ++t;
        } else if (p < pattern.size() && pattern[p] == '*') {
            star = p++;
            resume = t;
        } else if (star != std::string::npos) {
            p = star + 1;
            t = ++resume;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*')
        ++p;
    return p == pattern.size();
}

namespace {

std::vector<std::string> splitPath(const std::string& path) {
    std::vector<std::string> parts;
    size_t start = 0;
    while (true) {
        size_t bar = path.find('|', start);
        parts.push_back(path.substr(start, bar == std::string::npos ? std::string::npos : bar - start));
        if (bar == std::string::npos)
            return parts;
        start = bar + 1;
    }
}

bool matchesPath(Node* node, const std::vector<std::string>& parts, bool rooted) {
    Node* current = node;
    for (size_t k = parts.size(); k-- > 0;) {
        if (!current || !globMatch(parts[k], current->name))
            return false;
        current = current->parent;
    }
    return !rooted || current == nullptr;
}

bool parseUnsigned(const std::string& text, unsigned int& value) {
    if (text.empty() || text.size() > 9 || text.find_first_not_of("0123456789") != std::string::npos)
        return false;
    value = static_cast<unsigned int>(std::atoi(text.c_str()));
    return true;
}

} // namespace

std::vector<Node*> matchNodes(const std::string& pattern) {
    std::vector<Node*> result;
    if (pattern.empty())
        return result;
    bool rooted = pattern[0] == '|';
    std::vector<std::string> parts = splitPath(rooted ? pattern.substr(1) : pattern);
    for (const std::string& part : parts)
        if (part.empty())
            return result;
    for (const auto& node : Scene::instance().nodes())
        if (matchesPath(node.get(), parts, rooted))
            result.push_back(node.get());
    return result;
}

Node* findNode(const std::string& name) {
    if (name.find_first_of("*?") != std::string::npos)
        return nullptr;
    std::vector<Node*> nodes = matchNodes(name);
    return nodes.size() == 1 ? nodes.front() : nullptr;
}

bool resolveAttribute(Node* node, const std::string& attrPath, PlugPath& out) {
    if (resolveOwnAttribute(node, attrPath, out))
        return true;
    // As in Maya, a transform stands for its shape where it has no such attribute itself.
    Node* shape = isTransform(node) ? shapeOf(node) : nullptr;
    return shape && resolveOwnAttribute(shape, attrPath, out);
}

bool resolveOwnAttribute(Node* node, const std::string& attrPath, PlugPath& out) {
    out = PlugPath();
    out.node = node;
    for (const auto& alias : node->aliases)
        if (alias.first == attrPath) {
            out.key = alias.second;
            return true;
        }
    std::string path = attrPath;
    size_t open = path.rfind('[');
    size_t colon = path.find(':', open == std::string::npos ? 0 : open);
    if (open != std::string::npos && colon != std::string::npos && path.back() == ']') {
        unsigned int first = 0, last = 0;
        if (!parseUnsigned(path.substr(open + 1, colon - open - 1), first) ||
            !parseUnsigned(path.substr(colon + 1, path.size() - colon - 2), last) || last < first)
            return false;
        out.hasRange = true;
        out.first = first;
        out.last = last;
        path = path.substr(0, open);
    }
    out.key = node->keyOf(path);
    if (!out.key.attr)
        return false;
    return !out.hasRange || out.key.isArrayPlug();
}

bool resolvePlug(const std::string& text, PlugPath& out, std::string& problem) {
    size_t dot = text.find('.');
    if (dot == std::string::npos) {
        problem = "No object matches name: " + text;
        return false;
    }
    Node* node = findNode(text.substr(0, dot));
    if (!node) {
        problem = "No object matches name: " + text;
        return false;
    }
    if (!resolveAttribute(node, text.substr(dot + 1), out)) {
        problem = "No object matches name: " + text;
        return false;
    }
    return true;
}

namespace {

// "*", "a:b" or "a", within [0, count).
bool parseIndexRange(const std::string& range, unsigned int count, unsigned int& first, unsigned int& last) {
    size_t colon = range.find(':');
    if (range == "*") {
        if (count == 0)
            return false;
        first = 0;
        last = count - 1;
    } else if (colon != std::string::npos) {
        if (!parseUnsigned(range.substr(0, colon), first) || !parseUnsigned(range.substr(colon + 1), last))
            return false;
    } else {
        if (!parseUnsigned(range, first))
            return false;
        last = first;
    }
    return first <= last && last < count;
}

} // namespace

bool resolveComponent(Node* node, const std::string& component, MSelectionList::Item& item) {
    size_t open = component.find('[');
    if (open == std::string::npos || component.back() != ']')
        return false;
    std::string kind = component.substr(0, open);
    // "[a]" or, for the CVs of a surface, "[a][b]".
    std::vector<std::string> ranges;
    for (size_t start = open + 1;;) {
        const size_t close = component.find(']', start);
        ranges.push_back(component.substr(start, close - start));
        if (close + 1 == component.size())
            break;
        if (component[close + 1] != '[')
            return false;
        start = close + 2;
    }
    Node* shape = componentShape(node, kind);
    if (!shape)
        return false;
    unsigned int rows = 0, columns = 0, stride = 0;
    const bool grid = surfaceComponentGrid(shape, rows, columns, stride);
    item = MSelectionList::Item();
    item.node = shape->handle();
    item.componentKind = kind;
    if (grid) {
        unsigned int firstRow, lastRow, firstColumn, lastColumn;
        if (ranges.size() != 2 || !parseIndexRange(ranges[0], rows, firstRow, lastRow) ||
            !parseIndexRange(ranges[1], columns, firstColumn, lastColumn))
            return false;
        item.columns = stride;
        for (unsigned int row = firstRow; row <= lastRow; ++row)
            for (unsigned int column = firstColumn; column <= lastColumn; ++column)
                item.indices.push_back(row * stride + column);
        return true;
    }
    unsigned int first = 0, last = 0;
    if (ranges.size() != 1 || !parseIndexRange(ranges[0], componentCount(shape), first, last))
        return false;
    for (unsigned int i = first; i <= last; ++i)
        item.indices.push_back(i);
    return true;
}

std::string plugText(Node* node, const PlugKey& key) {
    return plugFor(node, key).partialName(true, false, false, false, true, true).asChar();
}

} // namespace khost
