#pragma once
// Script code as the script engine's own tokenizer reads it, for the checks
// that run before the compiler: they see the tokens the compiler will see
// (`1.5e+3` is one number, `>>=` one operator), never a second reading.

#include <cstddef>
#include <functional>
#include <string_view>

namespace AngelScript {
class asIScriptEngine;
}

namespace orv::script {

enum EScriptTokenKind
{
	ESTK_OPEN,     //!< ( [ {
	ESTK_CLOSE,    //!< ) ] }
	ESTK_OPERATOR, //!< + += == && ! ? and the other operators
	ESTK_NAME,     //!< a name the code gives or uses
	ESTK_KEYWORD,  //!< a word of the language: if, class, int ...
	ESTK_VALUE,    //!< a number, string or character literal
	ESTK_OTHER     //!< ; , . : :: @ and anything the tokenizer does not know
};

struct SScriptToken
{
	EScriptTokenKind Kind;
	std::string_view Text;
	//! Where the token starts in the code.
	std::size_t Offset;

	bool is(std::string_view text) const { return Text == text; }
};

//! Calls visit for every token outside comments and white space, in
//! order, until it answers false.
void forEachScriptToken(const AngelScript::asIScriptEngine* engine, const char* code, std::size_t length,
	const std::function<bool(const SScriptToken&)>& visit);

} // namespace orv::script
