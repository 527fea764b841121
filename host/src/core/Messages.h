#pragma once
// Where MGlobal's messages go: the script output (printed Maya-style) and a capture tests read.
#include <iosfwd>
#include <string>
#include <vector>

namespace khost {

struct Message {
    enum Kind { Info, Warning, Error };
    Kind kind;
    std::string text;
};

class Messages {
public:
    static Messages& instance();
    void add(Message::Kind kind, const std::string& text);
    const std::vector<Message>& captured() const { return fCaptured; }
    void clear() { fCaptured.clear(); }
    // Errors shown since the host started; unlike the capture, never cleared, so that a caller can
    // tell whether a call showed one by comparing two readings.
    size_t errorsShown() const { return fErrorsShown; }
    // Number of captured messages of a kind with exactly this text.
    size_t count(Message::Kind kind, const std::string& text) const;
    // Prints a command result as "// Result: text //".
    void result(const std::string& text);
    void setOutput(std::ostream* out) { fOut = out; }
    std::ostream* output() const { return fOut; }

private:
    std::vector<Message> fCaptured;
    size_t fErrorsShown = 0;
    std::ostream* fOut = nullptr;
};

} // namespace khost
