#pragma once
// A fresh host scene for each test, and short ways to reach nodes and plugs by name.
#include "core/HostInit.h"
#include "core/Messages.h"
#include "dg/Scene.h"
#include <gtest/gtest.h>
#include <maya/MFnDependencyNode.h>
#include <maya/MPlug.h>
#include <string>

class HostTest : public ::testing::Test {
protected:
    void SetUp() override {
        khost::initializeHost();
        khost::Scene::instance().clear();
        khost::Messages::instance().clear();
    }
    void TearDown() override { khost::Scene::instance().clear(); }

    static khost::Node* node(const std::string& name) { return khost::Scene::instance().findNode(name); }

    // "node.attr[2].child" as findPlug resolves it.
    static MPlug plug(const std::string& path) {
        size_t dot = path.find('.');
        khost::Node* n = node(path.substr(0, dot));
        EXPECT_NE(n, nullptr) << path;
        if (!n)
            return MPlug();
        MStatus status;
        MPlug result = MFnDependencyNode(n->handle()).findPlug(path.substr(dot + 1).c_str(), true, &status);
        EXPECT_TRUE(status) << path;
        return result;
    }
};
