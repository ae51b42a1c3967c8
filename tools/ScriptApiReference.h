#pragma once
// Writes what a script can use, read back from the script engine's own
// registrations, as markdown in an order that does not depend on the order
// of registration.

#include <ostream>
#include <string>

namespace AngelScript {
class asIScriptEngine;
}

namespace orv::tools {

//! Every enum, typedef, funcdef, object type, global function and global
//! property of the engine, each group sorted by name.
void writeScriptApiReference(AngelScript::asIScriptEngine& engine, std::ostream& out);

//! The declaration of the global property of that name, as a script writes
//! it; empty when there is none.
std::string findGlobalPropertyDeclaration(AngelScript::asIScriptEngine& engine, const std::string& name);

//! The markdown anchor of a type's heading in the reference.
std::string typeAnchor(const std::string& typeName);

} // namespace orv::tools
