// Flag parsing (MSyntax, MArgParser, MArgDatabase, MArgList) and selection lists.
#include "CommandFixture.h"
#include <maya/MArgDatabase.h>
#include <maya/MDagPath.h>
#include <maya/MGlobal.h>

namespace {

MArgList words(std::initializer_list<const char*> texts, int quotedAt = -1) {
    MArgList args;
    int k = 0;
    for (const char* t : texts)
        args.addWord(t, k++ == quotedAt);
    return args;
}

MSyntax targetSyntax() {
    MSyntax syntax;
    syntax.addFlag("-t", "-target", MSyntax::kString, MSyntax::kUnsigned, MSyntax::kString, MSyntax::kDouble);
    syntax.addFlag("-ib", "-inBetween", MSyntax::kBoolean);
    syntax.addFlag("-n", "-name", MSyntax::kString);
    syntax.addFlag("-p", "-point", MSyntax::kDouble, MSyntax::kDouble, MSyntax::kDouble);
    syntax.makeFlagMultiUse("-p");
    syntax.enableEdit();
    syntax.enableQuery();
    syntax.setObjectType(MSyntax::kStringObjects, 0, 2);
    return syntax;
}

} // namespace

class FlagTest : public CommandTest {};

TEST_F(FlagTest, ShortAndLongNamesWithTypedArguments) {
    MStatus status;
    MArgDatabase db(targetSyntax(), words({"-target", "base", "3", "tgt", "-0.5", "-ib", "on", "obj"}),
                    &status);
    ASSERT_TRUE(status);
    EXPECT_TRUE(db.isFlagSet("-t"));
    EXPECT_TRUE(db.isFlagSet("-inBetween"));
    EXPECT_FALSE(db.isFlagSet("-n"));
    MString base;
    unsigned int index = 0;
    double weight = 0;
    bool between = false;
    EXPECT_TRUE(db.getFlagArgument("-t", 0, base));
    EXPECT_TRUE(db.getFlagArgument("-target", 1, index));
    EXPECT_TRUE(db.getFlagArgument("-t", 3, weight));
    EXPECT_TRUE(db.getFlagArgument("-ib", 0, between));
    EXPECT_EQ(base, "base");
    EXPECT_EQ(index, 3u);
    EXPECT_EQ(weight, -0.5);
    EXPECT_TRUE(between);
    EXPECT_FALSE(db.getFlagArgument("-t", 4, weight)) << "past the flag's arguments";
    EXPECT_FALSE(db.getFlagArgument("-n", 0, base)) << "flag not given";
    MStringArray objects;
    db.getObjects(objects);
    ASSERT_EQ(objects.length(), 1u);
    EXPECT_EQ(objects[0], "obj");
}

TEST_F(FlagTest, BadFlagsAndArgumentsFailWithAMessage) {
    MStatus status;
    MArgDatabase unknown(targetSyntax(), words({"-bogus"}), &status);
    EXPECT_FALSE(status);
    MArgDatabase missing(targetSyntax(), words({"-n"}), &status);
    EXPECT_FALSE(status);
    MArgDatabase wrongType(targetSyntax(), words({"-t", "a", "-1", "b", "0.5"}), &status);
    EXPECT_FALSE(status) << "unsigned argument";
    MArgDatabase twice(targetSyntax(), words({"-n", "a", "-n", "b"}), &status);
    EXPECT_FALSE(status);
    MArgDatabase tooMany(targetSyntax(), words({"a", "b", "c"}), &status);
    EXPECT_FALSE(status);
    EXPECT_EQ(errors(), (std::vector<std::string>{
                            "Invalid flag '-bogus'", "Flag '-n' must be passed 1 argument(s).",
                            "Invalid argument for flag '-t'. Expected unsigned integer, got '-1'.",
                            "Flag '-n' can only be used once.", "Too many objects or values."}));
}

TEST_F(FlagTest, EditQueryNegativeNumbersAndQuotedDashes) {
    MStatus status;
    MArgDatabase edit(targetSyntax(), words({"-e", "-n", "x", "-5", "-x"}, 4), &status);
    ASSERT_TRUE(status);
    EXPECT_TRUE(edit.isEdit());
    EXPECT_FALSE(edit.isQuery());
    MStringArray objects;
    edit.getObjects(objects);
    ASSERT_EQ(objects.length(), 2u);
    EXPECT_EQ(objects[0], "-5");
    EXPECT_EQ(objects[1], "-x");
    // In query mode flags name what is asked and take no arguments.
    MArgDatabase query(targetSyntax(), words({"-n", "-q", "obj"}), &status);
    ASSERT_TRUE(status);
    EXPECT_TRUE(query.isQuery());
    EXPECT_TRUE(query.isFlagSet("-name"));
    query.getObjects(objects);
    EXPECT_EQ(objects.length(), 1u);
    MSyntax plain;
    MArgDatabase notEnabled(plain, words({"-e"}), &status);
    EXPECT_FALSE(status);
    MArgDatabase both(targetSyntax(), words({"-e", "-q"}), &status);
    EXPECT_FALSE(status);
}

TEST_F(FlagTest, MultiUseFlagsKeepEachUse) {
    MStatus status;
    MArgDatabase db(targetSyntax(), words({"-p", "0", "0", "0", "-point", "1", "2", "3"}), &status);
    ASSERT_TRUE(status);
    EXPECT_EQ(db.numberOfFlagUses("-p"), 2u);
    MArgList second;
    EXPECT_TRUE(db.getFlagArgumentList("-p", 1, second));
    ASSERT_EQ(second.length(), 3u);
    EXPECT_EQ(second.asDouble(2), 3.0);
    EXPECT_FALSE(db.getFlagArgumentList("-p", 2, second));
}

TEST_F(FlagTest, SelectionObjectsDefaultToTheActiveSelection) {
    run("createNode transform -n a; createNode transform -n b; select a");
    MSyntax syntax;
    syntax.setObjectType(MSyntax::kSelectionList, 1);
    syntax.useSelectionAsDefault(true);
    MStatus status;
    MArgDatabase fromSelection(syntax, MArgList(), &status);
    ASSERT_TRUE(status);
    MSelectionList list;
    fromSelection.getObjects(list);
    ASSERT_EQ(list.length(), 1u);
    MObject object;
    list.getDependNode(0, object);
    EXPECT_EQ(khost::nodeOf(object)->name, "a");
    MArgDatabase typed(syntax, words({"b"}), &status);
    typed.getObjects(list);
    list.getDependNode(0, object);
    EXPECT_EQ(khost::nodeOf(object)->name, "b");
    run("select -cl");
    MArgDatabase empty(syntax, MArgList(), &status);
    EXPECT_FALSE(status) << "nothing typed, nothing selected";
    MArgDatabase missing(syntax, words({"nope"}), &status);
    EXPECT_FALSE(status);
    EXPECT_EQ(errors().back(), "No object matches name: nope");
}

TEST_F(FlagTest, ArgListConversionsAndFlagIndex) {
    MArgList args = words({"-n", "1.5", "yes", "-n"}, 3);
    EXPECT_EQ(args.flagIndex("-n"), 0u);
    EXPECT_EQ(args.flagIndex("-x", "-name"), MArgList::kInvalidArgIndex);
    EXPECT_EQ(args.asDouble(1), 1.5);
    EXPECT_EQ(args.asInt(1), 1);
    EXPECT_TRUE(args.asBool(2));
    MStatus status;
    args.asDouble(2, &status);
    EXPECT_TRUE(status) << "yes reads as 1";
    args.asDouble(9, &status);
    EXPECT_FALSE(status);
}

class SelectionTest : public CommandTest {};

TEST_F(SelectionTest, NamesPatternsPlugsAndComponents) {
    run("polyCube -n box; polyCube -n crate; createNode transform -n other");
    MSelectionList list;
    EXPECT_TRUE(list.add("box"));
    EXPECT_TRUE(list.add("c*"));
    EXPECT_TRUE(list.add("|box|boxShape"));
    EXPECT_TRUE(list.add("box.translateX"));
    EXPECT_TRUE(list.add("box.vtx[2:4]"));
    EXPECT_EQ(list.add("nothing*"), MS::kInvalidParameter);
    EXPECT_EQ(list.add("box.vtx[8]"), MS::kInvalidParameter) << "a cube has 8 vertices";
    EXPECT_EQ(list.add("other|boxShape"), MS::kInvalidParameter);
    MStringArray strings;
    list.getSelectionStrings(strings);
    std::vector<std::string> texts;
    for (const MString& s : strings)
        texts.push_back(s.asChar());
    EXPECT_EQ(texts, (std::vector<std::string>{"box", "crate", "crateShape", "boxShape", "box.tx",
                                               "boxShape.vtx[2:4]"}));
    MPlug plug;
    EXPECT_TRUE(list.getPlug(4, plug));
    EXPECT_FALSE(list.getPlug(0, plug));
    MDagPath path;
    EXPECT_TRUE(list.getDagPath(3, path));
    EXPECT_EQ(path.fullPathName(), "|box|boxShape");
}

TEST_F(SelectionTest, MergeRemoveAndTheActiveList) {
    run("createNode transform -n a; createNode transform -n b; createNode transform -n c");
    MSelectionList ab, bc;
    ab.add("a");
    ab.add("b");
    bc.add("b");
    bc.add("c");
    MSelectionList x = ab;
    x.merge(bc, MSelectionList::kXORWithList);
    MStringArray s;
    x.getSelectionStrings(s);
    EXPECT_EQ(s.length(), 2u);
    EXPECT_EQ(s[0], "a");
    EXPECT_EQ(s[1], "c");
    x.merge(bc, MSelectionList::kRemoveFromList);
    EXPECT_EQ(x.length(), 1u);
    EXPECT_TRUE(x.remove(0));
    EXPECT_TRUE(x.isEmpty());
    EXPECT_FALSE(x.remove(0));

    MGlobal::setActiveSelectionList(ab);
    MGlobal::setActiveSelectionList(bc, MGlobal::kAddToList);
    EXPECT_EQ(result("ls -sl"), "a b c");
    MSelectionList copy;
    MGlobal::getActiveSelectionList(copy);
    copy.clear();
    EXPECT_EQ(result("ls -sl"), "a b c") << "the list returned is a copy";
    run("delete b");
    EXPECT_EQ(result("ls -sl"), "a c") << "deleted nodes leave the selection";
}
