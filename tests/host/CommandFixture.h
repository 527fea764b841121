#pragma once
// Running scripts in a fresh scene, and a complete description of the scene to compare states.
#include "HostFixture.h"
#include "command/AttrValues.h"
#include "command/Names.h"
#include "command/Script.h"
#include "command/Selection.h"
#include "command/UndoQueue.h"
#include "io/SceneWriter.h"
#include <maya/MStringArray.h>
#include <sstream>

class CommandTest : public HostTest {
protected:
    void SetUp() override {
        HostTest::SetUp();
        khost::UndoQueue::instance().flush();
        khost::activeSelection().clear();
        khost::Messages::instance().setOutput(&fOut);
    }
    void TearDown() override {
        khost::Messages::instance().setOutput(nullptr);
        khost::UndoQueue::instance().flush();
        HostTest::TearDown();
    }

    // Runs statements that must succeed and returns the last one's result.
    std::vector<std::string> run(const std::string& statements) {
        std::vector<std::string> result;
        MStatus status = khost::executeStatement(statements, &result);
        EXPECT_TRUE(status) << statements << "\n" << fOut.str();
        return result;
    }
    std::string result(const std::string& statement) {
        std::string joined;
        for (const std::string& word : run(statement))
            joined += (joined.empty() ? "" : " ") + word;
        return joined;
    }
    // The text of the errors shown so far.
    std::vector<std::string> errors() const {
        std::vector<std::string> texts;
        for (const khost::Message& m : khost::Messages::instance().captured())
            if (m.kind == khost::Message::Error)
                texts.push_back(m.text);
        return texts;
    }
    std::string output() const { return fOut.str(); }
    // The statement must fail, its last error being this message.
    void expectError(const std::string& statement, const std::string& message) {
        EXPECT_FALSE(khost::executeStatement(statement)) << statement;
        ASSERT_FALSE(errors().empty()) << statement;
        EXPECT_EQ(errors().back(), message) << statement;
    }
    // The scene as a saved file holds it.
    static std::string sceneText() {
        std::string text, problem;
        EXPECT_TRUE(khost::writeScene(text, problem)) << problem;
        return text;
    }

    // Everything a user can observe: nodes in order with type, parent, every stored value that is
    // neither computed nor fed by a connection, locks, aliases and connections, and the selection.
    static std::string sceneState() {
        std::ostringstream out;
        for (const auto& n : khost::Scene::instance().nodes()) {
            out << n->name << " " << n->cls->name << " parent=" << (n->parent ? n->parent->name : "-")
                << "\n";
            for (const auto& root : n->roots)
                describe(out, n.get(), *root.second, khost::PlugKey{root.first, {}});
            for (const auto& key : n->locked)
                out << "  locked " << khost::plugText(n.get(), key) << "\n";
            for (const auto& alias : n->aliases)
                out << "  alias " << alias.first << " " << khost::plugText(n.get(), alias.second) << "\n";
            for (const auto& in : n->incoming)
                out << "  " << khost::plugText(in.second.node, in.second.key) << " -> "
                    << khost::plugText(n.get(), in.first) << "\n";
        }
        MStringArray selected;
        khost::activeSelection().getSelectionStrings(selected);
        out << "selection:";
        for (const MString& s : selected)
            out << " " << s.asChar();
        return out.str();
    }

    // The first line where two scene states differ (empty when equal), so failures stay readable.
    static std::string firstDifference(const std::string& a, const std::string& b) {
        std::istringstream left(a), right(b);
        std::string l, r;
        for (int line = 1;; ++line) {
            bool moreLeft = static_cast<bool>(std::getline(left, l)),
                 moreRight = static_cast<bool>(std::getline(right, r));
            if (!moreLeft && !moreRight)
                return std::string();
            if (!moreLeft || !moreRight || l != r)
                return "line " + std::to_string(line) + ":\n  " + l.substr(0, 160) + "\n  " +
                       r.substr(0, 160);
        }
    }

private:
    static void describe(std::ostream& out, khost::Node* n, const khost::Value& v, khost::PlugKey key) {
        if (n->cls->isComputed(v.attr))
            return;
        key.attr = v.attr;
        // A value fed by a connection is a copy of its source, not state of its own.
        for (const auto& in : n->incoming)
            if (!v.isArray && key.within(in.first))
                return;
        if (v.isArray) {
            for (const auto& e : v.elements) {
                khost::PlugKey element = key;
                element.indices.push_back(static_cast<int>(e.first));
                describe(out, n, *e.second, element);
            }
            return;
        }
        for (const auto& c : v.children)
            describe(out, n, *c, key);
        if (!v.children.empty())
            return;
        std::string words;
        if (!khost::writeValue(v, words))
            words = "(no data)";
        out << "  " << v.attr->name;
        for (int i : key.indices)
            out << "[" << i << "]";
        out << " " << words << "\n";
    }

    std::ostringstream fOut;
};
