// file and python.
#include "command/BuiltinSupport.h"
#include "command/CommandRegistry.h"
#include "command/Names.h"
#include "command/Python.h"
#include "command/Script.h"
#include "command/Selection.h"
#include "command/UndoQueue.h"
#include "dag/Dag.h"
#include "io/FileReading.h"
#include "io/ObjIO.h"
#include "io/SceneWriter.h"
#include <cctype>
#include <fstream>
#include <maya/MGlobal.h>
#include <sstream>

namespace khost {

namespace {

bool endsWith(const std::string& text, const std::string& suffix) {
    if (text.size() < suffix.size())
        return false;
    for (size_t k = 0; k < suffix.size(); ++k)
        if (std::tolower(static_cast<unsigned char>(text[text.size() - suffix.size() + k])) != suffix[k])
            return false;
    return true;
}

// A new scene: no nodes, nothing selected, nothing to undo.
void newScene() {
    UndoQueue::instance().flush();
    activeSelection().clear();
    Scene::instance().clear();
}

MSyntax fileSyntax() {
    MSyntax syntax;
    syntax.addFlag("-new", "-newFile");
    syntax.addFlag("-s", "-save");
    syntax.addFlag("-o", "-open");
    syntax.addFlag("-i", "-import");
    syntax.addFlag("-es", "-exportSelected");
    syntax.addFlag("-typ", "-type", MSyntax::kString);
    syntax.setObjectType(MSyntax::kStringObjects, 0, 1);
    return syntax;
}

MStatus openScene(const std::string& path, UndoRecord& undo) {
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return fail("file: Cannot open '" + path + "'.", MS::kNotFound);
    std::stringstream text;
    text << file.rdbuf();
    newScene();
    CommandResult ignored;
    MStatus status;
    {
        const ReadingFile reading;
        status = runStatements(text.str(), ignored, false);
    }
    // Opening is not undoable: what the scene's commands recorded is dropped with the old scene.
    undo = UndoRecord();
    UndoQueue::instance().flush();
    if (!status)
        return fail("file: Errors while opening '" + path + "'.", status);
    return MS::kSuccess;
}

MStatus exportSelected(const std::string& path, const std::string& type) {
    if (type != "OBJexport")
        return fail("file: Unknown export type '" + type + "'.", MS::kInvalidParameter);
    MSelectionList selection;
    MGlobal::getActiveSelectionList(selection);
    std::vector<Node*> shapes;
    for (const MSelectionList::Item& item : selection.items()) {
        Node* shape = shapeOf(nodeOf(item.node));
        if (shape && item.plug.isNull())
            shapes.push_back(shape);
    }
    if (shapes.empty())
        return fail("file: Nothing selected to export.", MS::kInvalidParameter);
    std::string problem;
    MStatus status = exportObj(path, shapes, problem);
    if (!status)
        return fail("file: " + problem + ".", status);
    return status;
}

MStatus file(const MArgDatabase& args, CommandResult& result, UndoRecord& undo) {
    MStringArray objects;
    args.getObjects(objects);
    std::string path = objects.length() ? objects[0].asChar() : "";
    int actions = 0;
    for (const char* flag : {"-new", "-s", "-o", "-i", "-es"})
        actions += args.isFlagSet(flag) ? 1 : 0;
    if (actions != 1)
        return fail("file: Use one of -new, -save, -open, -import and -exportSelected.",
                    MS::kInvalidParameter);
    if (args.isFlagSet("-new")) {
        newScene();
        return MS::kSuccess;
    }
    if (path.empty())
        return fail("file: A file name is needed.", MS::kInvalidParameter);
    MStatus status;
    if (args.isFlagSet("-s")) {
        std::string problem;
        status = saveScene(path, problem);
        if (!status)
            return fail("file: Cannot save '" + path + "': " + problem + ".", status);
    } else if (args.isFlagSet("-o")) {
        status = openScene(path, undo);
        if (!status)
            return status;
    } else if (args.isFlagSet("-i")) {
        if (!endsWith(path, ".obj"))
            return fail("file: Only .obj files can be imported: '" + path + "'.", MS::kInvalidParameter);
        std::vector<std::string> created;
        std::string problem;
        status = importObj(undo, path, created, problem);
        if (!status)
            return fail("file: " + problem + ".", status);
    } else {
        MString type;
        args.getFlagArgument("-type", 0, type);
        status = exportSelected(path, type.asChar());
        if (!status)
            return status;
    }
    result.append(path);
    return MS::kSuccess;
}

MStatus python(const MArgDatabase& args, CommandResult& result, UndoRecord&) {
    MStringArray code;
    args.getObjects(code);
    return runPython(code[0].asChar(), result, true);
}

} // namespace

void registerFileCommands() {
    registerBuiltin("file", fileSyntax, file);
    registerBuiltin("python", oneObjectSyntax, python);
}

} // namespace khost
