#include "core/Messages.h"
#include <iostream>
#include <maya/MGlobal.h>

namespace khost {

Messages& Messages::instance() {
    static Messages messages;
    return messages;
}

void Messages::add(Message::Kind kind, const std::string& text) {
    fCaptured.push_back({kind, text});
    if (kind == Message::Error)
        ++fErrorsShown;
    if (!fOut)
        return;
    switch (kind) {
    case Message::Info:
        *fOut << text << '\n';
        break;
    case Message::Warning:
        *fOut << "// Warning: " << text << '\n';
        break;
    case Message::Error:
        *fOut << "// Error: " << text << '\n';
        break;
    }
    fOut->flush();
}

size_t Messages::count(Message::Kind kind, const std::string& text) const {
    size_t n = 0;
    for (const Message& m : fCaptured)
        n += m.kind == kind && m.text == text ? 1 : 0;
    return n;
}

void Messages::result(const std::string& text) {
    if (fOut)
        *fOut << "// Result: " << text << " //" << std::endl;
}

} // namespace khost

void MGlobal::displayInfo(const MString& theMessage) {
    khost::Messages::instance().add(khost::Message::Info, theMessage.asChar());
}

void MGlobal::displayWarning(const MString& theWarning, bool) {
    khost::Messages::instance().add(khost::Message::Warning, theWarning.asChar());
}

void MGlobal::displayError(const MString& theError, bool) {
    khost::Messages::instance().add(khost::Message::Error, theError.asChar());
}
