#include "command/BuiltinSupport.h"
#include <maya/MGlobal.h>
#include <maya/MStringArray.h>

namespace khost {

MStatus fail(const std::string& message, MStatus status) {
    MGlobal::displayError(MString(message.c_str()));
    return status;
}

std::vector<std::string> objectsOf(const MArgDatabase& args) {
    MStringArray objects;
    args.getObjects(objects);
    std::vector<std::string> words;
    for (const MString& o : objects)
        words.push_back(o.asChar());
    return words;
}

MSyntax oneObjectSyntax() {
    MSyntax syntax;
    syntax.setObjectType(MSyntax::kStringObjects, 1, 1);
    return syntax;
}

} // namespace khost
