#pragma once
#include <maya/MArgParser.h>
#include <maya/MSelectionList.h>

class MArgDatabase : public MArgParser {
public:
    MArgDatabase() = default;
    // Objects of a kSelectionList syntax are looked up now; a name matching nothing fails the parse.
    MArgDatabase(const MSyntax& syntax, const MArgList& argList, MStatus* ReturnStatus = nullptr);
    ~MArgDatabase() override = default;

    using MArgParser::getFlagArgument;
    using MArgParser::getObjects;
    MStatus getFlagArgument(const char* flag, unsigned int index, MSelectionList& result) const;
    // The objects typed, or a copy of the active selection when none were and the syntax asks for it.
    MStatus getObjects(MSelectionList& result) const;

private:
    MSelectionList fSelection;
};
