#include "script/ScriptSourceGuard.h"

#include "script/ScriptNestingCheck.h"
#include "script/ScriptOutline.h"
#include "script/ScriptTokens.h"

namespace orv::script {

std::string checkScriptSource(const AngelScript::asIScriptEngine* engine, const char* code, std::size_t length,
	std::unordered_set<std::string>* heldNamespaces)
{
	if (length > SCRIPT_MAX_SOURCE_BYTES)
		return "more than " + std::to_string(SCRIPT_MAX_SOURCE_BYTES) + " bytes of code";
	CScriptNestingCheck nesting;
	CScriptOutline outline(engine, heldNamespaces);
	forEachScriptToken(engine, code, length,
		[&](const SScriptToken& token) { return nesting.take(token) && outline.take(token, nesting.controlDepth()); });
	if (!nesting.why().empty())
		return nesting.why();
	if (outline.why().empty() && outline.finish(length) && heldNamespaces)
		heldNamespaces->insert(outline.namespaces().begin(), outline.namespaces().end());
	return outline.why();
}

irr::u32 measureBracketNesting(const AngelScript::asIScriptEngine* engine, const char* code, std::size_t length)
{
	irr::u32 depth = 0;
	irr::u32 deepest = 0;
	forEachScriptToken(engine, code, length, [&](const SScriptToken& token) {
		if (token.Kind == ESTK_OPEN && ++depth > deepest)
			deepest = depth;
		else if (token.Kind == ESTK_CLOSE && depth > 0)
			--depth;
		return true;
	});
	return deepest;
}

} // namespace orv::script
