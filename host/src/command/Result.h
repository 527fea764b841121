#pragma once
// A command's result: numbers and strings, printed "// Result: VALUES //".
#include <string>
#include <vector>

namespace khost {

class CommandResult {
public:
    struct Item {
        bool isNumber = false;
        double number = 0.0;
        std::string text;
    };
    void clear() { fItems.clear(); }
    void append(double number) { fItems.push_back({true, number, {}}); }
    void append(const std::string& text) { fItems.push_back({false, 0.0, text}); }
    bool empty() const { return fItems.empty(); }
    const std::vector<Item>& items() const { return fItems; }
    // Each value as text: numbers in their shortest exact form, strings as they are.
    std::vector<std::string> strings() const;
    // The values joined by one blank.
    std::string text() const;

private:
    std::vector<Item> fItems;
};

// MPxCommand::setResult and friends write to the innermost running command's result.
class ResultScope {
public:
    explicit ResultScope(CommandResult& result);
    ~ResultScope();
    ResultScope(const ResultScope&) = delete;
    ResultScope& operator=(const ResultScope&) = delete;
    // The result being written; a scratch result when no command runs.
    static CommandResult& current();
};

} // namespace khost
