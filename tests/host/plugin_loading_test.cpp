#include "command/CommandRegistry.h"
#include "command/Script.h"
#include "core/HostInit.h"
#include "core/Messages.h"
#include "dg/NodeClass.h"
#include "dg/Scene.h"
#include "plugin/GPUDeformerRegistry.h"
#include "plugin/Plugin.h"
#include "plugin/PluginLoader.h"
#include <cstdlib>
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <map>
#include <maya/MGPUDeformerRegistry.h>
#include <string>
#include <utility>
#include <vector>

namespace {

const std::string kPluginModule = std::string(KIVO_PLUGIN_DIR) + "/kivoMorph.so";
const std::string kFixtureDir = KIVO_FIXTURE_DIR;
const std::string kFixtureModule = kFixtureDir + "/kivoFixture.so";

using khost::Message;

class PluginLoadingTest : public ::testing::Test {
protected:
    void SetUp() override {
        khost::initializeHost();
        unsetenv("MAYA_PLUG_IN_PATH");
        unsetenv("KIVO_FIXTURE_LOAD");
        unsetenv("KIVO_FIXTURE_UNLOAD");
        messages().clear();
    }
    void TearDown() override {
        unsetenv("KIVO_FIXTURE_UNLOAD");
        for (const char* name : {"kivoMorph", "kivoFixture"}) {
            if (khost::isPluginLoaded(name)) {
                EXPECT_TRUE(khost::unloadPluginModule(name));
            }
        }
        messages().clear();
    }

    static khost::Messages& messages() { return khost::Messages::instance(); }
    static size_t errors(const std::string& text) { return messages().count(Message::Error, text); }
    static khost::NodeClass* nodeClass(const std::string& name) {
        return khost::ClassRegistry::instance().find(name);
    }

    static size_t gpuRegistrations(const std::string& nodeClassName) {
        size_t n = 0;
        for (const auto& r : khost::gpuDeformerRegistrations())
            n += r.nodeClassName == nodeClassName ? 1 : 0;
        return n;
    }

    static MStatus loadFixture(const char* loadMode) {
        setenv("KIVO_FIXTURE_LOAD", loadMode, 1);
        return khost::loadPluginModule(kFixtureModule);
    }
};

TEST_F(PluginLoadingTest, ModuleExportsTheApiVersionAndEntryPoints) {
    void* module = dlopen(kPluginModule.c_str(), RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(module, nullptr) << dlerror();
    const auto* version = static_cast<const char*>(dlsym(module, "MApiVersion"));
    ASSERT_NE(version, nullptr);
    EXPECT_STREQ(version, "20230300");
    EXPECT_NE(dlsym(module, "ADSK_PLUGIN_SIGNATURE"), nullptr);
    EXPECT_NE(dlsym(module, "initializePlugin"), nullptr);
    EXPECT_NE(dlsym(module, "uninitializePlugin"), nullptr);
    dlclose(module);
}

TEST_F(PluginLoadingTest, KivoMorphLoadsRegistersItsDeformerAndUnloads) {
    std::string name;
    ASSERT_TRUE(khost::loadPluginModule("kivoMorph", &name));
    EXPECT_EQ(name, "kivoMorph");
    EXPECT_TRUE(khost::isPluginLoaded("kivoMorph"));
    EXPECT_TRUE(messages().captured().empty());

    khost::NodeClass* cls = nodeClass("kivoMorph");
    ASSERT_NE(cls, nullptr);
    EXPECT_EQ(cls->id, MTypeId(0x140541));
    EXPECT_EQ(cls->role, khost::NodeRole::Deformer);
    EXPECT_EQ(cls->apiType, MFn::kPluginDeformerNode);
    EXPECT_EQ(cls->pluginName, "kivoMorph");
    // The deformer base's attributes come first, then the node's own schema.
    for (const char* inherited :
         {"input", "inputGeometry", "outputGeometry", "envelope", "weightList", "weights"})
        EXPECT_NE(cls->find(inherited), nullptr) << inherited;
    EXPECT_NE(cls->find("inputTarget"), nullptr);
    EXPECT_EQ(khost::ClassRegistry::instance().initializing, nullptr);

    // Loading again by path or by file name is a no-op.
    EXPECT_TRUE(khost::loadPluginModule(kPluginModule));
    EXPECT_TRUE(khost::loadPluginModule("kivoMorph.so"));
    EXPECT_EQ(nodeClass("kivoMorph"), cls);

    ASSERT_TRUE(khost::unloadPluginModule("kivoMorph"));
    EXPECT_FALSE(khost::isPluginLoaded("kivoMorph"));
    EXPECT_EQ(nodeClass("kivoMorph"), nullptr);
    EXPECT_TRUE(messages().captured().empty());

    // The module comes back cleanly after it was unmapped.
    ASSERT_TRUE(khost::loadPluginModule("kivoMorph"));
    EXPECT_NE(nodeClass("kivoMorph"), nullptr);
}

TEST_F(PluginLoadingTest, UnloadIsRefusedWhileNodesOfThePluginExist) {
    ASSERT_TRUE(khost::loadPluginModule("kivoMorph"));
    khost::Scene& scene = khost::Scene::instance();
    MStatus created;
    auto node = scene.createNode(nodeClass("kivoMorph"), "morphInUse", nullptr, &created);
    ASSERT_TRUE(created);
    EXPECT_FALSE(khost::unloadPluginModule("kivoMorph"));
    EXPECT_EQ(
        errors(
            "Cannot unload plug-in \"kivoMorph\": it is still in use by 1 node in the scene (morphInUse)."),
        1u);
    EXPECT_TRUE(khost::isPluginLoaded("kivoMorph"));
    EXPECT_NE(nodeClass("kivoMorph"), nullptr);

    scene.remove(node.get());
    node.reset();
    EXPECT_TRUE(khost::unloadPluginModule("kivoMorph"));
}

TEST_F(PluginLoadingTest, ModulesAreFoundOnThePluginPathOrByPath) {
    EXPECT_EQ(khost::loadPluginModule("kivoFixture"), MS::kNotFound);
    EXPECT_EQ(errors("Plug-in, \"kivoFixture\", was not found on MAYA_PLUG_IN_PATH."), 1u);
    EXPECT_EQ(khost::loadPluginModule(kFixtureDir + "/absent.so"), MS::kNotFound);

    setenv("MAYA_PLUG_IN_PATH", ("/nonexistent::" + kFixtureDir).c_str(), 1);
    std::string name;
    ASSERT_TRUE(khost::loadPluginModule("kivoFixture", &name));
    EXPECT_EQ(name, "kivoFixture");
    EXPECT_TRUE(khost::isPluginLoaded(kFixtureModule));
    EXPECT_TRUE(khost::unloadPluginModule(kFixtureModule));

    EXPECT_EQ(khost::unloadPluginModule("kivoFixture"), MS::kNotFound);
    EXPECT_EQ(errors("Plug-in \"kivoFixture\" is not loaded."), 1u);
}

TEST_F(PluginLoadingTest, ModulesThatAreNotPluginsAreRefused) {
    const std::string noVersion = kFixtureDir + "/kivoNoVersion.so";
    EXPECT_FALSE(khost::loadPluginModule(noVersion));
    EXPECT_EQ(errors("\"" + noVersion + "\" is not a Maya plug-in: it does not export MApiVersion."), 1u);
    EXPECT_FALSE(khost::isPluginLoaded("kivoNoVersion"));

    // A file that is not a shared object at all.
    EXPECT_FALSE(khost::loadPluginModule(__FILE__));
    ASSERT_EQ(messages().captured().size(), 2u);
    EXPECT_EQ(messages().captured().back().text.rfind("Unable to dynamically load : ", 0), 0u);
}

TEST_F(PluginLoadingTest, APluginRegistersNodesCommandsAndOverridesAndRemovesThem) {
    ASSERT_TRUE(loadFixture("ok"));
    // A later function set on the same plug-in object keeps the first one's vendor and version.
    EXPECT_EQ(messages().count(Message::Info, "fixture: Kivo Tests 2.0"), 1u);
    khost::NodeClass* cls = nodeClass("kivoFixtureNode");
    ASSERT_NE(cls, nullptr);
    EXPECT_EQ(cls->role, khost::NodeRole::Depend);
    EXPECT_EQ(cls->apiType, MFn::kPluginDependNode);
    EXPECT_EQ(cls->pluginName, "kivoFixture");

    std::vector<std::string> result;
    ASSERT_TRUE(khost::executeStatement("kivoFixtureCommand", &result));
    EXPECT_EQ(result, std::vector<std::string>{"fixture command ran"});
    ASSERT_NE(khost::findCommand("kivoFixtureCommand"), nullptr);
    EXPECT_EQ(khost::findCommand("kivoFixtureCommand")->pluginName, "kivoFixture");

    ASSERT_EQ(gpuRegistrations("kivoFixtureNode"), 1u);
    for (const auto& r : khost::gpuDeformerRegistrations()) {
        if (r.nodeClassName == "kivoFixtureNode") {
            EXPECT_EQ(r.pluginName, "kivoFixture");
        }
    }

    ASSERT_TRUE(khost::unloadPluginModule("kivoFixture"));
    EXPECT_EQ(nodeClass("kivoFixtureNode"), nullptr);
    EXPECT_EQ(khost::findCommand("kivoFixtureCommand"), nullptr);
    EXPECT_EQ(gpuRegistrations("kivoFixtureNode"), 0u);
    EXPECT_EQ(messages().count(Message::Warning,
                               "Plug-in \"kivoFixture\" left 3 registration(s) behind when it "
                               "was unloaded; they have been removed."),
              0u);
}

TEST_F(PluginLoadingTest, FailedInitializationUnloadsAndForgetsEveryRegistration) {
    struct Case {
        const char* mode;
        std::string registrationError;
    };
    const Case cases[] = {
        {"duplicateName",
         "Cannot register node type \"kivoFixtureNode\": a node type of that name already exists."},
        {"duplicateId", "Cannot register node type \"kivoFixtureOther\": its type id 0x7f001 is already used "
                        "by \"kivoFixtureNode\"."},
        {"failingInitialize",
         "Cannot register node type \"kivoFixtureNode\": its initialize function failed."},
        {"duplicateCommand",
         "Cannot register command \"loadPlugin\": a command of that name already exists."},
        {"failAfterRegistering", ""},
        {"throw", ""},
        {"throwingInitialize", ""},
    };
    const std::map<std::string, std::string> thrown = {{"throw", ": fixture refused to load"},
                                                       {"throwingInitialize", ": node initialize threw"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mode);
        messages().clear();
        EXPECT_FALSE(loadFixture(c.mode));
        EXPECT_FALSE(khost::isPluginLoaded("kivoFixture"));
        EXPECT_EQ(nodeClass("kivoFixtureNode"), nullptr);
        EXPECT_EQ(nodeClass("kivoFixtureOther"), nullptr);
        EXPECT_EQ(khost::findCommand("kivoFixtureCommand"), nullptr);
        EXPECT_EQ(gpuRegistrations("kivoFixtureNode"), 0u);
        if (!c.registrationError.empty()) {
            EXPECT_EQ(errors(c.registrationError), 1u);
        }
        auto reason = thrown.find(c.mode);
        EXPECT_EQ(errors("initializePlugin function failed (kivoFixture)" +
                         (reason == thrown.end() ? std::string() : reason->second)),
                  1u);
        EXPECT_EQ(khost::ClassRegistry::instance().initializing, nullptr);
    }
    // The built-in that a duplicate tried to take is untouched.
    ASSERT_NE(khost::findCommand("loadPlugin"), nullptr);
    EXPECT_TRUE(khost::findCommand("loadPlugin")->pluginName.empty());
    // Nothing was left behind that would stop a good load.
    EXPECT_TRUE(loadFixture("ok"));
}

TEST_F(PluginLoadingTest, DeregistrationFailuresKeepThePluginLoaded) {
    ASSERT_TRUE(loadFixture("ok"));
    const std::pair<const char*, std::string> cases[] = {
        {"deregisterUnknown",
         "Cannot deregister node type id 0x7f002: the plug-in \"kivoFixture\" did not register it."},
        {"deregisterForeignCommand",
         "Cannot deregister command \"loadPlugin\": the plug-in \"kivoFixture\" did not register it."},
    };
    for (const auto& [mode, error] : cases) {
        SCOPED_TRACE(mode);
        messages().clear();
        setenv("KIVO_FIXTURE_UNLOAD", mode, 1);
        EXPECT_FALSE(khost::unloadPluginModule("kivoFixture"));
        EXPECT_EQ(errors(error), 1u);
        EXPECT_EQ(errors("uninitializePlugin function failed (kivoFixture)"), 1u);
        EXPECT_TRUE(khost::isPluginLoaded("kivoFixture"));
        EXPECT_NE(nodeClass("kivoFixtureNode"), nullptr);
        EXPECT_NE(khost::findCommand("loadPlugin"), nullptr);
    }

    // A plug-in that forgets to deregister still leaves nothing pointing into its unmapped code.
    setenv("KIVO_FIXTURE_UNLOAD", "leaveRegistered", 1);
    EXPECT_TRUE(khost::unloadPluginModule("kivoFixture"));
    EXPECT_EQ(messages().count(Message::Warning,
                               "Plug-in \"kivoFixture\" left 3 registration(s) behind when it "
                               "was unloaded; they have been removed."),
              1u);
    EXPECT_EQ(nodeClass("kivoFixtureNode"), nullptr);
    EXPECT_EQ(khost::findCommand("kivoFixtureCommand"), nullptr);
    EXPECT_EQ(gpuRegistrations("kivoFixtureNode"), 0u);
}

// Called directly, as a test of a plug-in's own entry points would, the function set itself refuses to
// take away a node type that nodes still use.
TEST_F(PluginLoadingTest, ANodeTypeInUseCannotBeDeregistered) {
    void* module = dlopen(kFixtureModule.c_str(), RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(module, nullptr) << dlerror();
    using EntryPoint = MStatus (*)(MObject);
    auto initialize = reinterpret_cast<EntryPoint>(dlsym(module, "initializePlugin"));
    auto uninitialize = reinterpret_cast<EntryPoint>(dlsym(module, "uninitializePlugin"));
    ASSERT_TRUE(initialize && uninitialize);
    MObject plugin(std::make_shared<khost::Plugin>("kivoFixture", kFixtureModule));
    ASSERT_TRUE(initialize(plugin));

    khost::Scene& scene = khost::Scene::instance();
    auto node = scene.createNode(nodeClass("kivoFixtureNode"), "fixtureInUse", nullptr);
    ASSERT_NE(node, nullptr);
    EXPECT_FALSE(uninitialize(plugin));
    EXPECT_EQ(
        errors("Cannot deregister node type \"kivoFixtureNode\": 1 node of this type exists in the scene."),
        1u);
    EXPECT_NE(nodeClass("kivoFixtureNode"), nullptr);

    scene.remove(node.get());
    node.reset();
    EXPECT_TRUE(uninitialize(plugin));
    EXPECT_EQ(nodeClass("kivoFixtureNode"), nullptr);
    EXPECT_EQ(khost::findCommand("kivoFixtureCommand"), nullptr);
    dlclose(module);
}

class TestGPUInfo : public MGPUDeformerRegistrationInfo {
public:
    MPxGPUDeformer* createGPUDeformer() override { return nullptr; }
    bool validateNodeInGraph(MDataBlock&, const MEvaluationNode&, const MPlug&, MStringArray*) override {
        return false;
    }
    bool validateNodeValues(MDataBlock&, const MEvaluationNode&, const MPlug&, MStringArray*) override {
        return false;
    }
};

TEST_F(PluginLoadingTest, GPUDeformerRegistryKeepsOneRegistrantPerNodeTypeAndId) {
    TestGPUInfo first, second;
    EXPECT_EQ(MGPUDeformerRegistry::registerGPUDeformerCreator("testDeformer", "TestOverride", nullptr),
              MS::kInvalidParameter);
    ASSERT_TRUE(MGPUDeformerRegistry::registerGPUDeformerCreator("testDeformer", "TestOverride", &first));
    EXPECT_FALSE(MGPUDeformerRegistry::registerGPUDeformerCreator("testDeformer", "TestOverride", &second));
    ASSERT_TRUE(MGPUDeformerRegistry::registerGPUDeformerCreator("testDeformer", "OtherOverride", &second));
    ASSERT_TRUE(MGPUDeformerRegistry::registerGPUDeformerCreator("otherDeformer", "TestOverride", &second));

    ASSERT_EQ(gpuRegistrations("testDeformer"), 2u);
    for (const auto& r : khost::gpuDeformerRegistrations()) {
        if (r.nodeClassName != "testDeformer")
            continue;
        EXPECT_EQ(r.info, r.registrantId == "TestOverride" ? &first : &second);
        EXPECT_EQ(r.pluginName, "");
    }

    EXPECT_TRUE(MGPUDeformerRegistry::deregisterGPUDeformerCreator("testDeformer", "TestOverride"));
    EXPECT_FALSE(MGPUDeformerRegistry::deregisterGPUDeformerCreator("testDeformer", "TestOverride"));
    EXPECT_FALSE(MGPUDeformerRegistry::deregisterGPUDeformerCreator("absentDeformer", "OtherOverride"));
    EXPECT_EQ(gpuRegistrations("testDeformer"), 1u);
    EXPECT_EQ(gpuRegistrations("otherDeformer"), 1u);
    EXPECT_TRUE(MGPUDeformerRegistry::deregisterGPUDeformerCreator("testDeformer", "OtherOverride"));
    EXPECT_TRUE(MGPUDeformerRegistry::deregisterGPUDeformerCreator("otherDeformer", "TestOverride"));
    EXPECT_EQ(gpuRegistrations("testDeformer") + gpuRegistrations("otherDeformer"), 0u);
}

} // namespace
