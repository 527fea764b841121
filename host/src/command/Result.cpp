#include "command/Result.h"
#include "command/Values.h"

namespace khost {

namespace {
std::vector<CommandResult*>& stack() {
    static std::vector<CommandResult*> results;
    return results;
}
} // namespace

std::vector<std::string> CommandResult::strings() const {
    std::vector<std::string> out;
    for (const Item& item : fItems)
        out.push_back(item.isNumber ? formatNumber(item.number) : item.text);
    return out;
}

std::string CommandResult::text() const {
    std::string out;
    for (const std::string& s : strings()) {
        if (!out.empty())
            out += ' ';
        out += s;
    }
    return out;
}

ResultScope::ResultScope(CommandResult& result) {
    stack().push_back(&result);
}
ResultScope::~ResultScope() {
    stack().pop_back();
}

CommandResult& ResultScope::current() {
    static CommandResult scratch;
    if (stack().empty()) {
        scratch.clear();
        return scratch;
    }
    return *stack().back();
}

} // namespace khost
