#include "script/ScriptSourceGuard.h"

#include <cctype>
#include <cstring>
#include <vector>

namespace orv::script {

namespace {

// The index just past the text that starts at `at` with `open` and ends with
// `close`, or the length when it never ends.
std::size_t skipPast(
	const char* code, std::size_t length, std::size_t at, std::size_t openLength, const char* close, bool escapes)
{
	const std::size_t closeLength = std::strlen(close);
	for (std::size_t i = at + openLength; i < length; ++i)
	{
		if (escapes && code[i] == '\\')
		{
			++i;
			continue;
		}
		if (length - i >= closeLength && std::memcmp(code + i, close, closeLength) == 0)
			return i + closeLength;
	}
	return length;
}

bool startsWith(const char* code, std::size_t length, std::size_t at, const char* text)
{
	const std::size_t n = std::strlen(text);
	return length - at >= n && std::memcmp(code + at, text, n) == 0;
}

bool isWordChar(char c)
{
	return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
}

enum ETokenKind
{
	ETK_OPEN,     // ( [ {
	ETK_CLOSE,    // ) ] }
	ETK_OPERATOR, // one character of an operator
	ETK_WORD,     // a name, keyword or number
	ETK_OTHER     // a string, ; , . : and the rest
};

struct SToken
{
	ETokenKind Kind;
	const char* Text;
	std::size_t Length;
};

// Calls visit for every token outside comments until it answers false.
template <typename Visit> void walkTokens(const char* code, std::size_t length, Visit visit)
{
	std::size_t i = 0;
	while (i < length)
	{
		const char c = code[i];
		const std::size_t at = i;
		ETokenKind kind = ETK_OTHER;
		if (std::isspace(static_cast<unsigned char>(c)))
		{
			++i;
			continue;
		}
		else if (startsWith(code, length, i, "//"))
		{
			i = skipPast(code, length, i, 2, "\n", false);
			continue;
		}
		else if (startsWith(code, length, i, "/*"))
		{
			i = skipPast(code, length, i, 2, "*/", false);
			continue;
		}
		else if (startsWith(code, length, i, "\"\"\""))
		{
			i = skipPast(code, length, i, 3, "\"\"\"", false);
		}
		else if (c == '"')
		{
			i = skipPast(code, length, i, 1, "\"", true);
		}
		else if (c == '\'')
		{
			i = skipPast(code, length, i, 1, "'", true);
		}
		else if (isWordChar(c))
		{
			while (i < length && isWordChar(code[i]))
				++i;
			kind = ETK_WORD;
		}
		else
		{
			++i;
			if (c == '(' || c == '[' || c == '{')
				kind = ETK_OPEN;
			else if (c == ')' || c == ']' || c == '}')
				kind = ETK_CLOSE;
			else if (std::strchr("=+-*/%&|^!~<>?", c))
				kind = ETK_OPERATOR;
		}
		if (!visit(SToken{kind, code + at, i - at}))
			return;
	}
}

bool isWord(const SToken& token, const char* word)
{
	return token.Kind == ETK_WORD && token.Length == std::strlen(word) &&
		std::memcmp(token.Text, word, token.Length) == 0;
}

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

class CSourceCheck
{
public:
	// False once the code is refused.
	bool take(const SToken& token)
	{
		SFrame& top = Frames.back();
		if (top.Ended && token.Kind != ETK_CLOSE)
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
		case ETK_OPEN:
			open(token.Text[0]);
			break;
		case ETK_CLOSE:
			close();
			break;
		case ETK_OPERATOR:
			++Operators;
			if (token.Text[0] == '?')
				++Conditionals;
			break;
		case ETK_WORD:
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
		case ETK_OTHER:
			if (token.Text[0] == ';' && Frames.back().Open == '{')
			{
				Frames.back().Ended = true;
			}
			else if (token.Text[0] == ',' && Frames.back().Open == '{')
			{
				// The items of a list and the names of one declaration build one by one.
				Operators = 0;
				Conditionals = 0;
			}
			break;
		}
		// `&+` in a parameter's type fails an assertion in the compiler,
		// which ends the program; in an expression it means no more than `&`.
		if (AfterAmpersand && token.Kind == ETK_OPERATOR && token.Text[0] == '+')
			Why = "'+' after '&'";
		AfterAmpersand = token.Kind == ETK_OPERATOR && token.Text[0] == '&';
		AfterElse = isWord(token, "else");
		return Why.empty() && judge();
	}

	const std::string& why() const { return Why; }

private:
	void open(char bracket)
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

	void close()
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

	bool judge()
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

	std::vector<SFrame> Frames{SFrame()};
	std::size_t ChainTotal = 0;
	std::size_t OperatorsAround = 0;
	irr::u32 Operators = 0;
	irr::u32 Conditionals = 0;
	bool AfterElse = false;
	bool AfterAmpersand = false;
	std::string Why;
};

} // namespace

std::string checkScriptSource(const char* code, std::size_t length)
{
	CSourceCheck check;
	walkTokens(code, length, [&check](const SToken& token) { return check.take(token); });
	return check.why();
}

irr::u32 measureBracketNesting(const char* code, std::size_t length)
{
	irr::u32 depth = 0;
	irr::u32 deepest = 0;
	walkTokens(code, length, [&](const SToken& token) {
		if (token.Kind == ETK_OPEN && ++depth > deepest)
			deepest = depth;
		else if (token.Kind == ETK_CLOSE && depth > 0)
			--depth;
		return true;
	});
	return deepest;
}

} // namespace orv::script
