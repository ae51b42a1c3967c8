#include "script/ScriptTokens.h"

#include <angelscript.h>

#include <cctype>
#include <cstring>

namespace orv::script {

using namespace AngelScript;

namespace {

EScriptTokenKind classify(asETokenClass tokenClass, std::string_view text)
{
	switch (tokenClass)
	{
	case asTC_IDENTIFIER:
		return ESTK_NAME;
	case asTC_VALUE:
		return ESTK_VALUE;
	case asTC_KEYWORD:
		break;
	default:
		return ESTK_OTHER;
	}
	const char first = text.empty() ? '\0' : text[0];
	if (std::isalpha(static_cast<unsigned char>(first)))
		return ESTK_KEYWORD;
	if (text.size() == 1 && std::strchr("([{", first))
		return ESTK_OPEN;
	if (text.size() == 1 && std::strchr(")]}", first))
		return ESTK_CLOSE;
	if (first != '\0' && std::strchr("=+-*/%&|^!~<>?", first))
		return ESTK_OPERATOR;
	return ESTK_OTHER;
}

} // namespace

void forEachScriptToken(const asIScriptEngine* engine, const char* code, std::size_t length,
	const std::function<bool(const SScriptToken&)>& visit)
{
	std::size_t at = 0;
	while (at < length)
	{
		asUINT size = 0;
		const asETokenClass tokenClass = engine->ParseToken(code + at, length - at, &size);
		// A token is at least one character: a tokenizer that read none would
		// hold the walk where it is.
		const std::size_t taken = size == 0 ? 1 : size < length - at ? size : length - at;
		const std::string_view text(code + at, taken);
		const std::size_t offset = at;
		at += taken;
		if (tokenClass == asTC_COMMENT || tokenClass == asTC_WHITESPACE)
			continue;
		if (!visit(SScriptToken{classify(tokenClass, text), text, offset}))
			return;
	}
}

} // namespace orv::script
