#pragma once
// Brings up the host once: built-in node types and commands.
namespace khost {
void initializeHost();

// Provided by each part of the host and called once by initializeHost.
void registerDagNodeTypes();
void registerDeformerTypes();
void registerBuiltinCommands();
} // namespace khost
