// The command language: tokens, statements, numbers, results, errors and the Python subset.
#include "CommandFixture.h"
#include "command/Parser.h"
#include "command/Values.h"
#include <maya/MDoubleArray.h>
#include <maya/MGlobal.h>
#include <random>

using khost::Statement;
using khost::SyntaxError;

namespace {

std::vector<Statement> parse(const std::string& text) {
    std::vector<Statement> statements;
    SyntaxError error;
    EXPECT_TRUE(khost::parseScript(text, statements, error)) << error.message;
    return statements;
}

std::string parseError(const std::string& text) {
    std::vector<Statement> statements;
    SyntaxError error;
    EXPECT_FALSE(khost::parseScript(text, statements, error)) << text;
    return error.message;
}

} // namespace

TEST(ParserTest, StringsKeepTheirEscapesAndAreNeverFlags) {
    auto statements = parse(R"(setAttr -type "string" n.s "a \"b\" \\ c\n" "-x";)");
    ASSERT_EQ(statements.size(), 1u);
    const auto& args = statements[0].args;
    ASSERT_EQ(args.size(), 5u);
    EXPECT_FALSE(args[0].quoted);
    EXPECT_EQ(args[0].text, "-type");
    EXPECT_EQ(args[3].text, "a \"b\" \\ c\n");
    EXPECT_TRUE(args[4].quoted);
    EXPECT_EQ(args[4].text, "-x");
}

TEST(ParserTest, CommentsBlanksCallFormAndAMissingFinalSemicolon) {
    auto statements =
        parse("// heading\nls -sl; /* block\n comment */ python(\"a;b\") ;;\n  select -cl // tail");
    ASSERT_EQ(statements.size(), 3u);
    EXPECT_EQ(statements[0].command, "ls");
    EXPECT_EQ(statements[1].command, "python");
    ASSERT_EQ(statements[1].args.size(), 1u);
    EXPECT_EQ(statements[1].args[0].text, "a;b");
    EXPECT_EQ(statements[2].line, 4);
    EXPECT_TRUE(parse("  // only a comment\n").empty());
    auto call = parse("move(1, -2, \"pCube1\");");
    ASSERT_EQ(call[0].args.size(), 3u);
    EXPECT_EQ(call[0].args[1].text, "-2");
}

TEST(ParserTest, MalformedInputGivesMayaStyleErrorsWithTheirPlace) {
    EXPECT_EQ(parseError("ls;\nsetAttr \"open"), "Line 2.9: Unterminated string.");
    EXPECT_EQ(parseError("ls )"), "Line 1.4: Syntax error");
    EXPECT_EQ(parseError("\"ls\";"), "Line 1.1: Syntax error");
    EXPECT_EQ(parseError("ls a, b;"), "Line 1.5: Syntax error");
    EXPECT_EQ(parseError("python(\"x\" \"y\");"), "Line 1.12: Syntax error");
    EXPECT_EQ(parseError("python(\"x\""), "Line 1.11: Syntax error");
    EXPECT_EQ(parseError("/* never closed"), "Line 1.1: Unterminated comment.");
}

TEST(ParserTest, ArbitraryBytesNeverCrashTheParserOrTheRunner) {
    std::mt19937 random(7);
    const std::string alphabet = "ab-1.;\"\\()/,* \n[]:|";
    for (int round = 0; round < 300; ++round) {
        std::string text;
        for (int k = 0; k < 24; ++k)
            text += alphabet[random() % alphabet.size()];
        std::vector<Statement> statements;
        SyntaxError error;
        khost::parseScript(text, statements, error);
    }
}

TEST(ValuesTest, NumbersPrintInTheShortestFormThatReadsBack) {
    EXPECT_EQ(khost::formatNumber(0.5), "0.5");
    EXPECT_EQ(khost::formatNumber(0.1), "0.1");
    EXPECT_EQ(khost::formatNumber(1e-05), "1e-05");
    EXPECT_EQ(khost::formatNumber(3.0), "3");
    EXPECT_EQ(khost::formatNumber(10.0), "10");
    EXPECT_EQ(khost::formatNumber(-1230000.0), "-1230000");
    EXPECT_EQ(khost::formatNumber(1e20), "1e+20");
    EXPECT_EQ(khost::formatNumber(2.5e-7), "2.5e-07");
    EXPECT_EQ(khost::formatNumber(-0.0), "0");
    EXPECT_EQ(khost::formatNumber(1.0 / 3.0), "0.3333333333333333");
    EXPECT_EQ(khost::formatNumber(0.1 + 0.2), "0.30000000000000004");
    EXPECT_EQ(khost::formatNumber(static_cast<float>(0.1)), "0.10000000149011612");
}

TEST(ValuesTest, MelNumbersAndBooleans) {
    double v = 0;
    for (auto [text, expected] : std::vector<std::pair<std::string, double>>{{"12", 12},
                                                                             {"-.5", -0.5},
                                                                             {"5.", 5},
                                                                             {"1e-3", 0.001},
                                                                             {"+2E2", 200},
                                                                             {"0x1F", 31},
                                                                             {"-0x10", -16},
                                                                             {"true", 1},
                                                                             {"on", 1},
                                                                             {"yes", 1},
                                                                             {"false", 0},
                                                                             {"off", 0},
                                                                             {"no", 0}}) {
        EXPECT_TRUE(khost::parseNumber(text, v)) << text;
        EXPECT_EQ(v, expected) << text;
    }
    for (std::string bad : {"", ".", "-", "1e", "1.2.3", "inf", "nan", "0x", "1,5", "--1", "True"})
        EXPECT_FALSE(khost::parseNumber(bad, v)) << bad;
    long long integer = 0;
    EXPECT_TRUE(khost::parseInteger("4.0", integer));
    EXPECT_FALSE(khost::parseInteger("4.5", integer));
}

class ScriptTest : public CommandTest {};

TEST_F(ScriptTest, ResultsPrintPerStatementAndAFailureStopsTheScript) {
    EXPECT_FALSE(khost::runScript("createNode transform -n a;\nsetAttr a.tx 0.1;\ngetAttr a.tx;\n"
                                  "getAttr a.nothing;\ncreateNode transform -n never;"));
    EXPECT_EQ(output(), "// Result: a //\n// Result: 0.1 //\n// Error: No object matches name: a.nothing\n");
    EXPECT_EQ(node("never"), nullptr);
}

TEST_F(ScriptTest, KeepGoingRunsTheRestButStillReportsTheFailure) {
    khost::ScriptOptions options;
    options.keepGoing = true;
    EXPECT_FALSE(khost::runScript("frobnicate 1;\ncreateNode transform -n b;", options));
    EXPECT_NE(node("b"), nullptr);
    EXPECT_EQ(errors(), std::vector<std::string>{"Cannot find procedure \"frobnicate\"."});
    EXPECT_TRUE(khost::runScript("ls -type transform;"));
}

TEST_F(ScriptTest, ASyntaxErrorRunsNothing) {
    EXPECT_FALSE(khost::runScript("createNode transform -n c;\nls \"open"));
    EXPECT_EQ(node("c"), nullptr);
    EXPECT_EQ(errors(), std::vector<std::string>{"Line 2.4: Unterminated string."});
}

TEST_F(ScriptTest, ExecuteCommandOverloadsReturnTheResult) {
    MString name;
    EXPECT_TRUE(MGlobal::executeCommand("createNode transform -n t1", name));
    EXPECT_EQ(name, "t1");
    MDoubleArray values;
    EXPECT_TRUE(MGlobal::executeCommand("setAttr t1.t 1 2.5 -3; getAttr t1.t", values));
    ASSERT_EQ(values.length(), 3u);
    EXPECT_EQ(values[1], 2.5);
    MStringArray names;
    EXPECT_TRUE(MGlobal::executeCommand("ls -type transform", names));
    EXPECT_EQ(names.length(), 1u);
    EXPECT_FALSE(MGlobal::executeCommand("ls -type transform", values)) << "names are not numbers";
    EXPECT_TRUE(MGlobal::executeCommand("createNode transform -n t2", false, true));
    EXPECT_EQ(khost::UndoQueue::instance().undoCount(), 1u) << "only the undo-enabled call is undoable";
}

TEST_F(ScriptTest, PythonCallsMapOntoTheSameCommands) {
    EXPECT_EQ(result("python(\"import maya.cmds as cmds\\ncmds.createNode('transform', n='p1')\")"), "p1");
    run("python(\"from maya import cmds as mc; mc.setAttr('p1.translate', 1, -2, 3.5)\")");
    EXPECT_EQ(result("getAttr p1.t"), "1 -2 3.5");
    run("python(\"import maya.cmds as cmds\\ncmds.curve(d=1, p=[(0, 0, 0), (1, 0, 0), (2, 1, 0)], "
        "n='c1')\")");
    EXPECT_EQ(result("pointPosition c1.cv[2]"), "2 1 0");
    run("select -cl; python(\"import maya.cmds as cmds; cmds.select('p1', add=True)\")");
    EXPECT_EQ(result("python(\"import maya.cmds as cmds; cmds.ls(sl=True, type=['transform', 'mesh'])\")"),
              "p1");
    EXPECT_EQ(result("python(\"import maya.cmds as cmds; cmds.ls(sl=False, type='mesh')\")"), "");
    EXPECT_EQ(result("python(\"import maya.cmds as cmds; cmds.getAttr('p1.tx', l=True)\")"), "0");
}

TEST_F(ScriptTest, PythonErrorsAreReportedAndUndoTakesBackTheWholeCall) {
    EXPECT_FALSE(khost::executeStatement("python(\"cmds.ls()\")"));
    EXPECT_FALSE(khost::executeStatement("python(\"import maya.cmds as cmds\\ncmds.frob()\")"));
    EXPECT_FALSE(khost::executeStatement("python(\"import maya.cmds as cmds\\ncmds.ls(\")"));
    EXPECT_FALSE(khost::executeStatement("python(\"import os\")"));
    EXPECT_EQ(errors(),
              (std::vector<std::string>{"NameError: name 'cmds' is not defined",
                                        "AttributeError: module 'maya.cmds' has no attribute 'frob'",
                                        "SyntaxError: invalid syntax (line 2)",
                                        "ModuleNotFoundError: No module named 'os'"}));
    run("python(\"import maya.cmds as cmds\\ncmds.createNode('transform', n='u1')\\n"
        "cmds.createNode('transform', n='u2')\")");
    run("undo");
    EXPECT_EQ(node("u1"), nullptr);
    EXPECT_EQ(node("u2"), nullptr);
}

TEST_F(ScriptTest, VariablesHoldNumbersWordsAndCommandResultsAndScriptsTimeThemselves) {
    EXPECT_TRUE(khost::runScript("float $start = `timerX`;\n"
                                 "string $who = `createNode transform -n mover`;\n"
                                 "int $steps = 2.9;\n"
                                 "move -r $steps 0 0 $who;\n"
                                 "$label = \"-n\";\n"
                                 "getAttr mover.tx;\n"
                                 "float $seconds = `timerX -st $start`;\n"));
    EXPECT_EQ(output(), "// Result: -n //\n// Result: 2 //\n") << "declarations print nothing";
    std::vector<std::string> elapsed = run("timerX -startTime $start");
    ASSERT_EQ(elapsed.size(), 1u);
    EXPECT_GE(std::stod(elapsed[0]), 0.0);
    EXPECT_LT(std::stod(elapsed[0]), 60.0);
    // A variable's value is never a flag.
    EXPECT_FALSE(khost::executeStatement("createNode transform $label other"));

    khost::Messages::instance().clear();
    EXPECT_FALSE(khost::executeStatement("getAttr $nowhere"));
    EXPECT_FALSE(khost::executeStatement("float $bad = \"text\""));
    EXPECT_FALSE(khost::executeStatement("$who = `frobnicate`"));
    EXPECT_FALSE(khost::executeStatement("$who + 1"));
    EXPECT_EQ(errors(), (std::vector<std::string>{"\"$nowhere\" is an undeclared variable.",
                                                  "Cannot assign \"text\" to the float variable $bad.",
                                                  "Cannot find procedure \"frobnicate\".",
                                                  "Line 1: Syntax error in the assignment of $who."}));
    EXPECT_EQ(result("$who"), "mover") << "a failed assignment leaves the variable as it was";
}

TEST(ParserTest, BackquotesHoldACommand) {
    auto statements = parse("$t = `timerX -st $s`;");
    ASSERT_EQ(statements.size(), 1u);
    EXPECT_EQ(statements[0].command, "$t");
    ASSERT_EQ(statements[0].args.size(), 2u);
    EXPECT_TRUE(statements[0].args[1].substitution);
    EXPECT_EQ(statements[0].args[1].text, "timerX -st $s");
    EXPECT_EQ(parseError("float $t = `timerX;"), "Line 1.12: Unterminated backquote.");
}
