// Loading and unloading the module: the node type it registers and removes, and the messages and
// statuses of a registration or deregistration that fails.
#include "command/CommandRegistry.h"
#include "dg/NodeClass.h"
#include "host/CommandFixture.h"
#include "plugin/GPUDeformerRegistry.h"
#include "plugin/Plugin.h"
#include "plugin/PluginLoader.h"
#include <dlfcn.h>
#include <maya/MGPUDeformerRegistry.h>
#include <maya/MPxGPUDeformer.h>
#include <memory>

namespace {

const std::string kModule = std::string(KIVO_PLUGIN_DIR) + "/kivoMorph.so";
using EntryPoint = MStatus (*)(MObject);

class Registration : public CommandTest {
protected:
    void SetUp() override {
        CommandTest::SetUp();
        // Other suites in this program keep the module loaded; these start without it.
        if (khost::isPluginLoaded("kivoMorph")) {
            ASSERT_TRUE(khost::unloadPluginModule("kivoMorph"));
        }
        khost::Messages::instance().clear();
    }
    void TearDown() override {
        khost::Scene::instance().clear();
        if (khost::isPluginLoaded("kivoMorph")) {
            EXPECT_TRUE(khost::unloadPluginModule("kivoMorph"));
        }
        CommandTest::TearDown();
    }

    static void clearMessages() { khost::Messages::instance().clear(); }
    // Another node type holding the plug-in's type id.
    static void registerSquatter() {
        auto squatter = std::make_unique<khost::NodeClass>();
        squatter->name = "squatter";
        squatter->id = MTypeId(0x140541);
        ASSERT_TRUE(khost::ClassRegistry::instance().add(std::move(squatter)));
    }
    // Registrants of GPU overrides for kivoMorph nodes.
    static std::vector<std::string> kivoMorphOverrides() {
        std::vector<std::string> ids;
        for (const auto& r : khost::gpuDeformerRegistrations())
            if (r.nodeClassName == "kivoMorph")
                ids.push_back(r.registrantId);
        return ids;
    }
    static khost::NodeClass* kivoMorphClass() { return khost::ClassRegistry::instance().find("kivoMorph"); }
    static std::vector<std::string> errorsInOrder() {
        std::vector<std::string> texts;
        for (const khost::Message& m : khost::Messages::instance().captured())
            if (m.kind == khost::Message::Error)
                texts.push_back(m.text);
        return texts;
    }

    // The module's entry points, reached through a handle of its own (the same mapping when loaded).
    struct Module {
        void* handle = dlopen(kModule.c_str(), RTLD_NOW | RTLD_LOCAL);
        EntryPoint initialize =
            handle ? reinterpret_cast<EntryPoint>(dlsym(handle, "initializePlugin")) : nullptr;
        EntryPoint uninitialize =
            handle ? reinterpret_cast<EntryPoint>(dlsym(handle, "uninitializePlugin")) : nullptr;
        ~Module() {
            if (handle)
                dlclose(handle);
        }
    };
};

TEST_F(Registration, LoadPluginRegistersTheDeformerAndUnloadPluginRemovesIt) {
    EXPECT_EQ(result("loadPlugin kivoMorph"), "kivoMorph");
    khost::NodeClass* cls = kivoMorphClass();
    ASSERT_NE(cls, nullptr);
    EXPECT_EQ(cls->id, MTypeId(0x140541));
    EXPECT_EQ(cls->id.id(), 1312065u);
    EXPECT_EQ(cls->pxType, MPxNode::kDeformerNode);
    EXPECT_EQ(cls->pluginName, "kivoMorph");
    EXPECT_EQ(kivoMorphOverrides(), std::vector<std::string>{"KivoMorphOverride"});
    EXPECT_TRUE(errors().empty());

    // A node of the type goes into a shape's history as deformers do.
    run("polyPlane -n base; deformer -type kivoMorph -n morph base;");
    EXPECT_EQ(result("nodeType morph"), "kivoMorph");
    EXPECT_EQ(result("listConnections -s false -d true morph.outputGeometry[0]"), "baseShape");
    run("delete morph;");

    run("unloadPlugin kivoMorph;");
    EXPECT_EQ(kivoMorphClass(), nullptr);
    EXPECT_TRUE(kivoMorphOverrides().empty());
    EXPECT_FALSE(khost::isPluginLoaded("kivoMorph"));
    EXPECT_TRUE(errors().empty());
    EXPECT_FALSE(khost::executeStatement("createNode kivoMorph"));

    // Loading again after the module was unmapped gives a working type.
    run("loadPlugin kivoMorph; createNode kivoMorph -n again;");
    EXPECT_EQ(result("getAttr again.precision"), "0.001");
}

// A second registration of the node (another module instance, or a type that took the name or
// the id) fails with the node message and the failed call's status; the type already there stays.
TEST_F(Registration, AFailedNodeRegistrationSaysSoAndReturnsTheFailure) {
    ASSERT_TRUE(khost::loadPluginModule("kivoMorph"));
    khost::NodeClass* registered = kivoMorphClass();
    Module module;
    ASSERT_TRUE(module.initialize) << dlerror();
    MObject second(std::make_shared<khost::Plugin>("kivoMorphAgain", kModule));
    const MStatus status = module.initialize(second);
    EXPECT_EQ(status, MS::kFailure);
    EXPECT_EQ(errorsInOrder(),
              (std::vector<std::string>{
                  "Cannot register node type \"kivoMorph\": a node type of that name already exists.",
                  " Unable to register kivoMorph node! "}));
    EXPECT_EQ(kivoMorphClass(), registered);
    EXPECT_EQ(registered->pluginName, "kivoMorph");

    // Through loadPlugin, with the type id taken by another type: Maya's own load error follows.
    ASSERT_TRUE(khost::unloadPluginModule("kivoMorph"));
    registerSquatter();
    clearMessages();
    EXPECT_FALSE(khost::executeStatement("loadPlugin kivoMorph"));
    EXPECT_EQ(errorsInOrder(),
              (std::vector<std::string>{"Cannot register node type \"kivoMorph\": its type id 0x140541 is "
                                        "already used by \"squatter\".",
                                        " Unable to register kivoMorph node! ",
                                        "initializePlugin function failed (kivoMorph)"}));
    EXPECT_FALSE(khost::isPluginLoaded("kivoMorph"));
    EXPECT_EQ(kivoMorphClass(), nullptr);
    EXPECT_TRUE(khost::ClassRegistry::instance().remove(MTypeId(0x140541)));
}

// The node type cannot go while nodes of it exist: the deregistration message and status, and
// nothing removed; once the nodes are gone it deregisters cleanly.
TEST_F(Registration, AFailedNodeDeregistrationSaysSoAndKeepsTheType) {
    Module module;
    ASSERT_TRUE(module.initialize && module.uninitialize) << dlerror();
    MObject plugin(std::make_shared<khost::Plugin>("kivoMorph", kModule));
    ASSERT_TRUE(module.initialize(plugin));
    EXPECT_TRUE(errors().empty());
    EXPECT_EQ(khost::objectAs<khost::Plugin>(plugin)->version, "1.0.0");
    run("createNode kivoMorph -n inUse;");

    const MStatus status = module.uninitialize(plugin);
    EXPECT_EQ(status, MS::kFailure);
    EXPECT_EQ(errorsInOrder(),
              (std::vector<std::string>{
                  "Cannot deregister node type \"kivoMorph\": 1 node of this type exists in the scene.",
                  " Unable to deregister kivoMorph node! "}));
    EXPECT_NE(kivoMorphClass(), nullptr);
    EXPECT_EQ(result("nodeType inUse"), "kivoMorph");

    run("delete inUse;");
    khost::UndoQueue::instance().flush();
    clearMessages();
    EXPECT_TRUE(module.uninitialize(plugin));
    EXPECT_TRUE(errors().empty());
    EXPECT_EQ(kivoMorphClass(), nullptr);
}

// The command comes after the node: when it cannot be registered, its message and the failure
// follow, and the node stays registered; unloading says which step failed.
TEST_F(Registration, AFailedCommandRegistrationComesAfterTheNodeAndSaysSo) {
    ASSERT_TRUE(khost::registerPluginCommand(
        "kivoMorph", []() -> void* { return nullptr; }, nullptr, "squatter"));
    Module module;
    ASSERT_TRUE(module.initialize && module.uninitialize) << dlerror();
    MObject plugin(std::make_shared<khost::Plugin>("kivoMorph", kModule));
    EXPECT_EQ(module.initialize(plugin), MS::kFailure);
    EXPECT_EQ(errorsInOrder(),
              (std::vector<std::string>{
                  "Cannot register command \"kivoMorph\": a command of that name already exists.",
                  " Unable to register kivoMorph command! "}));
    EXPECT_NE(kivoMorphClass(), nullptr);

    ASSERT_TRUE(khost::deregisterPluginCommand("kivoMorph"));
    clearMessages();
    EXPECT_EQ(module.uninitialize(plugin), MS::kFailure);
    EXPECT_EQ(errorsInOrder(),
              (std::vector<std::string>{
                  "Cannot deregister command \"kivoMorph\": the plug-in \"kivoMorph\" did not register it.",
                  " Unable to deregister kivoMorph command! "}));
    EXPECT_EQ(kivoMorphClass(), nullptr) << "the node went first";
}

// copyKivoWeights comes after the kivoMorph command and kivoMorphEdit after copyKivoWeights, in
// loading and in unloading: a squatter on the later name stops loading after the earlier command and
// unloading after removing it.
TEST_F(Registration, TheCommandsRegisterInTheirOrder) {
    const std::pair<std::string, std::string> steps[] = {{"kivoMorph", "copyKivoWeights"},
                                                         {"copyKivoWeights", "kivoMorphEdit"}};
    for (const auto& [earlier, later] : steps) {
        ASSERT_TRUE(khost::registerPluginCommand(
            later, []() -> void* { return nullptr; }, nullptr, "squatter"));
        Module module;
        ASSERT_TRUE(module.initialize && module.uninitialize) << dlerror();
        MObject plugin(std::make_shared<khost::Plugin>("kivoMorph", kModule));
        clearMessages();
        EXPECT_EQ(module.initialize(plugin), MS::kFailure);
        EXPECT_EQ(errorsInOrder(), (std::vector<std::string>{"Cannot register command \"" + later +
                                                                 "\": a command of that name already exists.",
                                                             " Unable to register " + later + " command! "}));
        EXPECT_NE(khost::findCommand(earlier), nullptr);

        clearMessages();
        EXPECT_EQ(module.uninitialize(plugin), MS::kFailure);
        EXPECT_EQ(errorsInOrder(),
                  (std::vector<std::string>{"Cannot deregister command \"" + later +
                                                "\": the plug-in \"kivoMorph\" did not register it.",
                                            " Unable to deregister " + later + " command! "}));
        EXPECT_EQ(khost::findCommand(earlier), nullptr) << earlier << " went first";
        EXPECT_TRUE(khost::deregisterPluginCommand(later));
    }
}

} // namespace

// The GPU override registers with the node: when its registrant is taken, loading fails with the
// node's message.
TEST_F(Registration, AFailedOverrideRegistrationFailsWithTheNodeMessage) {
    struct Squatter : MGPUDeformerRegistrationInfo {
        MPxGPUDeformer* createGPUDeformer() override { return nullptr; }
        bool validateNodeInGraph(MDataBlock&, const MEvaluationNode&, const MPlug&, MStringArray*) override {
            return false;
        }
        bool validateNodeValues(MDataBlock&, const MEvaluationNode&, const MPlug&, MStringArray*) override {
            return false;
        }
    } squatter;
    ASSERT_TRUE(
        MGPUDeformerRegistry::registerGPUDeformerCreator("kivoMorph", "KivoMorphOverride", &squatter));
    EXPECT_FALSE(khost::executeStatement("loadPlugin kivoMorph"));
    EXPECT_EQ(errorsInOrder(), (std::vector<std::string>{" Unable to register kivoMorph node! ",
                                                         "initializePlugin function failed (kivoMorph)"}));
    EXPECT_TRUE(MGPUDeformerRegistry::deregisterGPUDeformerCreator("kivoMorph", "KivoMorphOverride"));
    EXPECT_TRUE(kivoMorphOverrides().empty());
    run("loadPlugin kivoMorph;");
    EXPECT_EQ(kivoMorphOverrides(), std::vector<std::string>{"KivoMorphOverride"});
}
