#include "command/BuiltinSupport.h"
#include <cctype>
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

bool validName(const std::string& name) {
    if (name.empty() || std::isdigit(static_cast<unsigned char>(name[0])))
        return false;
    for (char c : name)
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_')
            return false;
    return true;
}

MSyntax oneObjectSyntax() {
    MSyntax syntax;
    syntax.setObjectType(MSyntax::kStringObjects, 1, 1);
    return syntax;
}

} // namespace khost
