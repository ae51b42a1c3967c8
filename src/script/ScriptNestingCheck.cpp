#include "script/ScriptNestingCheck.h"

#include "script/ScriptSourceGuard.h"

namespace orv::script {

namespace {

bool isWord(const SScriptToken& token, std::string_view word)
{
	return (token.Kind == ESTK_KEYWORD || token.Kind == ESTK_NAME) && token.Text == word;
}

} // namespace

bool CScriptNestingCheck::take(const SScriptToken& token)
{
	SFrame& top = Frames.back();
	if (top.Ended && token.Kind != ESTK_CLOSE)
	{
		top.Ended = false;
		Operators = 0;
		Conditionals = 0;
		if (!isWord(token, "else"))
		{
			ChainTotal -= top.Chain;
			top.Chain = 0;
		}
	}
	switch (token.Kind)
	{
	case ESTK_OPEN:
		open(token.Text[0]);
		break;
	case ESTK_CLOSE:
		close();
		break;
	case ESTK_OPERATOR:
		++Operators;
		if (token.is("?"))
			++Conditionals;
		break;
	case ESTK_KEYWORD:
	case ESTK_NAME:
		// `else if` is one level.
		if ((isWord(token, "if") && !AfterElse) || isWord(token, "else") || isWord(token, "while") ||
			isWord(token, "for") || isWord(token, "do"))
		{
			++Frames.back().Chain;
			++ChainTotal;
		}
		else if (isWord(token, "and") || isWord(token, "or") || isWord(token, "xor") || isWord(token, "not") ||
			isWord(token, "is"))
		{
			++Operators;
		}
		break;
	default:
		if (token.is(";") && Frames.back().Open == '{')
		{
			Frames.back().Ended = true;
		}
		else if (token.is(",") && Frames.back().Open == '{')
		{
			// The items of a list and the names of one declaration build one by one.
			Operators = 0;
			Conditionals = 0;
		}
		break;
	}
	// `&+` in a parameter's type fails an assertion in the compiler, which
	// ends the program; in an expression it means no more than `& +`.
	if (AfterAmpersand && token.is("+"))
		Why = "'+' after '&'";
	AfterAmpersand = token.is("&");
	AfterElse = isWord(token, "else");
	return Why.empty() && judge();
}

void CScriptNestingCheck::open(char bracket)
{
	SFrame frame;
	frame.Open = bracket;
	if (bracket == '{')
	{
		frame.OuterOperators = Operators;
		frame.OuterConditionals = Conditionals;
		OperatorsAround += Operators;
		Operators = 0;
		Conditionals = 0;
	}
	Frames.push_back(frame);
}

void CScriptNestingCheck::close()
{
	if (Frames.size() < 2)
		return;
	const SFrame frame = Frames.back();
	Frames.pop_back();
	ChainTotal -= frame.Chain;
	if (frame.Open != '{')
		return;
	OperatorsAround -= frame.OuterOperators;
	Operators = frame.OuterOperators;
	Conditionals = frame.OuterConditionals;
	// A block is a statement of the block around it.
	if (Frames.back().Open == '{')
		Frames.back().Ended = true;
}

bool CScriptNestingCheck::judge()
{
	const std::size_t brackets = Frames.size() - 1;
	if (brackets > SCRIPT_MAX_NESTING)
		Why = "brackets nested deeper than " + std::to_string(SCRIPT_MAX_NESTING);
	else if (brackets + ChainTotal + OperatorsAround + Operators > SCRIPT_MAX_STATEMENT_NESTING)
		Why = "statements nested deeper than " + std::to_string(SCRIPT_MAX_STATEMENT_NESTING);
	else if (Operators > SCRIPT_MAX_OPERATORS)
		Why = "a statement with more than " + std::to_string(SCRIPT_MAX_OPERATORS) + " operators";
	else if (Conditionals > SCRIPT_MAX_CONDITIONALS)
		Why = "a statement with more than " + std::to_string(SCRIPT_MAX_CONDITIONALS) + " conditional operators";
	return Why.empty();
}

} // namespace orv::script
