#pragma once
// How deep AngelScript's compiler will recurse on the native stack at each
// point of the code, and how much work one statement gives it. It recurses
// once per level of nested brackets, of statements nested or chained in one
// another (`else if`, `if (c) if (c)`) and of operators in one expression
// (`a = a = ...`), so a few KB of such code overflow the stack; and its time
// grows much faster than the code for long expressions and chains of `?:`.

#include <string>
#include <vector>

#include <irrTypes.h>

#include "script/ScriptTokens.h"

namespace orv::script {

class CScriptNestingCheck
{
public:
	//! Takes the next token; false once the code is refused.
	bool take(const SScriptToken& token);
	//! Why the code was refused, or empty.
	const std::string& why() const { return Why; }
	//! Statements (`if`, `else`, loops) that hold the last token taken, in
	//! all the blocks open around it.
	std::size_t controlDepth() const { return ChainTotal; }

private:
	// One open bracket, or the whole code at the bottom.
	struct SFrame
	{
		char Open = '{';
		// Statements that hold the next one: `if`, `else`, `while`, `for`, `do`
		// since the last statement of this block ended.
		irr::u32 Chain = 0;
		// A statement just ended: an `else` continues the chain, anything else
		// starts a new one.
		bool Ended = false;
		// The operators of the statement this block opened in, restored at its end.
		irr::u32 OuterOperators = 0;
		irr::u32 OuterConditionals = 0;
	};

	void open(char bracket);
	void close();
	bool judge();

	std::vector<SFrame> Frames{SFrame()};
	std::size_t ChainTotal = 0;
	std::size_t OperatorsAround = 0;
	irr::u32 Operators = 0;
	irr::u32 Conditionals = 0;
	bool AfterElse = false;
	bool AfterAmpersand = false;
	std::string Why;
};

} // namespace orv::script
