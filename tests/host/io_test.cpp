// Scene files (save and open keep every storable value, alias, lock and connection, and nothing
// else) and OBJ import/export.
#include "CommandFixture.h"
#include "command/CommandRegistry.h"
#include "dag/BuiltinTypes.h"
#include "io/SceneWriter.h"
#include <fstream>
#include <maya/MFileIO.h>
#include <maya/MFnCompoundAttribute.h>
#include <maya/MFnNumericAttribute.h>
#include <maya/MFnTypedAttribute.h>
#include <sstream>

namespace {

MObject gKept, gDropped, gList, gEntries, gEntryValue, gEntryLabel, gTable;
void registerStored() {
    if (khost::ClassRegistry::instance().find("stored"))
        return;
    khost::registerBuiltinClass(
        "stored", MTypeId(0x7f0501), khost::NodeRole::Depend, MFn::kPluginDependNode,
        []() -> void* { return new MPxNode; },
        []() {
            MFnNumericAttribute numeric;
            gKept = numeric.create("kept", "kp", MFnNumericData::kDouble, 0.0);
            gDropped = numeric.create("dropped", "dr", MFnNumericData::kDouble, 0.0);
            numeric.setStorable(false);
            gList = numeric.create("list", "ls", MFnNumericData::kDouble, 0.0);
            numeric.setArray(true);
            gEntryValue = numeric.create("entryValue", "ev", MFnNumericData::kInt, 0);
            MFnTypedAttribute typed;
            gEntryLabel = typed.create("entryLabel", "el", MFnData::kString);
            gTable = typed.create("table", "tb", MFnData::kPointArray);
            MFnCompoundAttribute compound;
            gEntries = compound.create("entries", "en");
            compound.addChild(gEntryValue);
            compound.addChild(gEntryLabel);
            compound.setArray(true);
            for (const MObject* a : {&gKept, &gDropped, &gList, &gEntries, &gTable})
                MPxNode::addAttribute(*a);
            return MStatus(MS::kSuccess);
        });
}

std::string readFile(const std::string& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

class IoTest : public CommandTest {
protected:
    void SetUp() override {
        CommandTest::SetUp();
        registerStored();
    }
    std::string path(const std::string& name) const { return ::testing::TempDir() + "/" + name; }
};

} // namespace

TEST_F(IoTest, SavedScenesReopenWithEveryStorableValueAndNothingElse) {
    run("createNode stored -n s; setAttr s.kp 0.1; setAttr s.dr 7; setAttr s.ls[0] 0; setAttr s.ls[4] 2.5");
    run("setAttr s.en[3].ev 0; setAttr -type \"string\" s.en[1].el \"say \\\"hi\\\"\"");
    run("setAttr s.tb -type \"pointArray\" 1 1e-05 2 3 1");
    run("polyCube -n box; move 1 2 3 box; move -r 0 0.5 0 box.vtx[2]; circle -n ring; setAttr -l on ring.rx");
    run("createNode transform -n holder -p box; connectAttr box.tx holder.ty; aliasAttr lift box.ty");
    run("select box");
    std::string before = sceneState();
    std::string file = path("scene.mel");
    EXPECT_EQ(result("file -save \"" + file + "\""), file);
    run("file -new");
    EXPECT_EQ(result("ls"), "");
    EXPECT_EQ(result("file -open \"" + file + "\""), file);

    EXPECT_EQ(result("getAttr s.dr"), "0") << "not storable: back to its default";
    run("setAttr s.dr 7; select box");
    EXPECT_EQ(firstDifference(sceneState(), before), "");
    EXPECT_EQ(result("getAttr -s s.ls"), "2") << "an element at its default still exists";
    EXPECT_EQ(result("getAttr -s s.en"), "2");
    EXPECT_EQ(khost::UndoQueue::instance().undoCount(), 2u)
        << "opening is not undoable; setAttr and select are";
    EXPECT_EQ(readFile(file), sceneText()) << "saving again gives the same file";
}

TEST_F(IoTest, SceneFilesHoldOnlyWhatIsNeeded) {
    run("createNode stored -n s; setAttr s.dr 7; polyCube -n box; createNode transform -n t");
    run("connectAttr box.tx t.tx");
    std::string text = sceneText();
    EXPECT_EQ(text.find("s.dropped"), std::string::npos);
    EXPECT_EQ(text.find("s.kept"), std::string::npos) << "defaults are left out";
    EXPECT_EQ(text.find("outMesh"), std::string::npos) << "outputs are computed again";
    EXPECT_EQ(text.find("setAttr \"t.translate.translateX\""), std::string::npos)
        << "connected values come from the connection";
    EXPECT_NE(text.find("createNode mesh -n \"boxShape\" -p \"box\";"), std::string::npos);
    EXPECT_NE(text.find("setAttr \"boxShape.inMesh\" -type \"mesh\" 8 -0.5"), std::string::npos);
    EXPECT_NE(text.find("connectAttr \"box.translate.translateX\" \"t.translate.translateX\";"),
              std::string::npos);
}

TEST_F(IoTest, OpeningABrokenSceneReportsWhatFailed) {
    std::string file = path("broken.mel");
    std::ofstream(file) << "createNode transform -n a;\nsetAttr a.nothing 1;\n";
    EXPECT_FALSE(khost::executeStatement("file -open \"" + file + "\""));
    EXPECT_EQ(errors(), (std::vector<std::string>{"No object matches name: a.nothing",
                                                  "file: Errors while opening '" + file + "'."}));
    EXPECT_FALSE(khost::executeStatement("file -open \"" + path("missing.mel") + "\""));
    EXPECT_FALSE(khost::executeStatement("file -save"));
}

TEST_F(IoTest, FileIOReportsReadingOnlyWhileASceneFileRuns) {
    // A command that notes what nodes see when scene-file commands set their attributes.
    static std::vector<bool> seen;
    seen.clear();
    khost::registerBuiltin(
        "noteReading", []() { return MSyntax(); },
        [](const MArgDatabase&, khost::CommandResult&, khost::UndoRecord&) {
            seen.push_back(MFileIO::isReadingFile());
            return MStatus(MS::kSuccess);
        });
    std::string file = path("reading.mel");
    std::ofstream(file) << "noteReading;\n";
    run("noteReading; file -open \"" + file + "\"; noteReading;");
    EXPECT_EQ(seen, (std::vector<bool>{false, true, false}));
    // A failed read ends the reading as well.
    std::ofstream(file) << "noteReading;\nsetAttr nothing.at 1;\n";
    EXPECT_FALSE(khost::executeStatement("file -open \"" + file + "\""));
    EXPECT_FALSE(MFileIO::isReadingFile());
    EXPECT_EQ(seen.back(), true);
}

TEST_F(IoTest, GeometryValueFormsRoundTripAndRejectInconsistentData) {
    run("curve -d 3 -p 0 0 0 -p 1 2 0 -p 2 -1 0 -p 3 0 1 -p 4 1 1 -n wave; polySphere -sx 5 -sy 4 -n ball");
    std::string text = sceneText();
    size_t at =
        text.find("setAttr \"waveShape.create\" -type \"nurbsCurve\" 3 2 0 no 3 7 0 0 0 1 2 2 2 5 0 0 0");
    EXPECT_NE(at, std::string::npos) << text.substr(0, 600);
    run("createNode nurbsCurve -n loose");
    EXPECT_FALSE(
        khost::executeStatement("setAttr loose.create -type \"nurbsCurve\" 3 2 0 no 3 6 0 0 0 1 2 2 5 "
                                "0 0 0 1 0 0 2 0 0 3 0 0 4 0 0"))
        << "Maya's knot count is the CV count + degree - 1";
    EXPECT_FALSE(
        khost::executeStatement("setAttr loose.create -type \"nurbsCurve\" 1 1 0 yes 3 2 0 1 2 0 0 0 1 0 0"))
        << "rational curves are not supported";
    run("createNode mesh -n tri");
    EXPECT_FALSE(khost::executeStatement("setAttr tri.inMesh -type \"mesh\" 3 0 0 0 1 0 0 0 1 0 1 3 0 1 5 0"))
        << "a face names a vertex that does not exist";
    run("setAttr tri.inMesh -type \"mesh\" 3 0 0 0 1 0 0 0 1 0 1 3 0 1 2 3 0 0 1 0 0 1 0 1 2");
    EXPECT_EQ(result("pointPosition tri.vtx[2]"), "0 1 0");
}

TEST_F(IoTest, ObjExportAndImportKeepPointsFacesAndUVs) {
    run("polyCube -w 2 -sx 2 -n box; move 0.1 -3 1e-05 box; rotate 0 30 0 box; curve -d 1 -p 0 0 0 -p 1 1 1 "
        "-n line");
    auto position = [this](int i) {
        std::vector<double> p;
        for (const std::string& word : run("pointPosition box.vtx[" + std::to_string(i) + "]"))
            p.push_back(std::stod(word));
        return p;
    };
    std::vector<std::vector<double>> points;
    for (int i = 0; i < 12; ++i)
        points.push_back(position(i));
    std::string file = path("box.obj");
    run("select box line; file -es -type \"OBJexport\" \"" + file + "\"");
    std::string text = readFile(file);
    EXPECT_NE(text.find("o box\n"), std::string::npos);
    EXPECT_NE(text.find("o line\nv 0 0 0\nv 1 1 1\nl 13 14\n"), std::string::npos) << text;
    run("file -new; file -import \"" + file + "\"");
    EXPECT_EQ(result("ls -type mesh"), "boxShape");
    // The reader's own number parsing may differ from strtod in the last bit.
    for (int i = 0; i < 12; ++i)
        for (int k = 0; k < 3; ++k)
            EXPECT_NEAR(position(i)[k], points[i][k], 1e-14) << "vertex " << i;
    std::string again = path("again.obj");
    run("select box; file -es -type \"OBJexport\" \"" + again + "\"");
    auto topology = [](const std::string& obj) {
        std::istringstream in(obj);
        std::string line, kept;
        while (std::getline(in, line))
            if (line.rfind("f ", 0) == 0 || line.rfind("vt ", 0) == 0)
                kept += line + "\n";
        return kept;
    };
    EXPECT_EQ(topology(readFile(again)), topology(text)) << "faces and UVs come back unchanged";
    EXPECT_NE(topology(text).find("f 1/1 2/2 5/5 4/4\n"), std::string::npos) << text;
}

TEST_F(IoTest, BadObjFilesFailCleanly) {
    std::string file = path("bad.obj");
    std::ofstream(file) << "v 0 0 0\nv 1 0 0\nf 1 2 9\n";
    EXPECT_FALSE(khost::executeStatement("file -import \"" + file + "\""));
    std::ofstream(path("lines.obj")) << "v 0 0 0\nv 1 0 0\nl 1 2\n";
    EXPECT_FALSE(khost::executeStatement("file -import \"" + path("lines.obj") + "\""));
    EXPECT_FALSE(khost::executeStatement("file -import \"" + path("none.obj") + "\""));
    EXPECT_FALSE(khost::executeStatement("file -import \"" + path("scene.ma") + "\""));
    EXPECT_FALSE(
        khost::executeStatement("select -cl; file -es -type \"OBJexport\" \"" + path("x.obj") + "\""));
    EXPECT_EQ(result("ls"), "");
}
