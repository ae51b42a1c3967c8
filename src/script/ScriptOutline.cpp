#include "script/ScriptOutline.h"

#include <angelscript.h>

#include <algorithm>
#include <unordered_set>

#include "script/ScriptSourceGuard.h"

namespace orv::script {

using namespace AngelScript;

namespace {

bool isWord(const SScriptToken& token, std::string_view word)
{
	return (token.Kind == ESTK_KEYWORD || token.Kind == ESTK_NAME) && token.Text == word;
}

irr::u32 size32(std::size_t size)
{
	return static_cast<irr::u32>(std::min<std::size_t>(size, 0xFFFFFFFFu));
}

// The words of the language that name a type.
bool isTypeWord(std::string_view word)
{
	static const std::unordered_set<std::string_view> words{"void", "bool", "int", "int8", "int16", "int32", "int64",
		"uint", "uint8", "uint16", "uint32", "uint64", "float", "double", "auto"};
	return words.count(word) != 0;
}

// Words that may stand between a function's parameters and its body.
bool isFunctionTail(const SScriptToken& token)
{
	return isWord(token, "const") || isWord(token, "final") || isWord(token, "override") || isWord(token, "explicit") ||
		isWord(token, "property") || isWord(token, "delete");
}

// Characters the compiler adds around a function's parts when it writes the
// declaration ("const ", "&inout", " = ", ", ", the class's "::"), and around a
// call's argument types in its message ("No matching signatures to '...'").
const irr::u32 PRINTED_AROUND_DECLARATION = 24;
const irr::u32 PRINTED_AROUND_CALL = 40;
// What a template level and a type's marks add to a printed type:
// "array<", ">", "@const" inside, "const " and "@const&" around it.
const irr::u32 PRINTED_PER_TEMPLATE = 13;
const irr::u32 PRINTED_AROUND_TYPE = 13;
// A written `[` prints as "array<" and ">"; a typedef's name as its type
// ("double" at most).
const irr::u32 PRINTED_PER_BRACKET = 5;
const irr::u32 PRINTED_PER_TYPEDEF = 6;

} // namespace

CScriptOutline::CScriptOutline(const asIScriptEngine* engine, const std::unordered_set<std::string>* heldNamespaces)
	: HeldNamespaces(heldNamespaces)
	, Engine(engine)
{
	Scopes.emplace_back();
	// The registered types print with the names they were registered under;
	// only templates take `<`.
	const auto takeType = [this](asITypeInfo* type) {
		if (!type || !type->GetName())
			return;
		LongestTypeName = std::max(LongestTypeName, size32(std::char_traits<char>::length(type->GetName())));
		if (type->GetFlags() & asOBJ_TEMPLATE)
			TemplateNames.emplace_back(type->GetName());
	};
	for (asUINT i = 0; i < engine->GetObjectTypeCount(); ++i)
		takeType(engine->GetObjectTypeByIndex(i));
	for (asUINT i = 0; i < engine->GetEnumCount(); ++i)
		takeType(engine->GetEnumByIndex(i));
	for (asUINT i = 0; i < engine->GetFuncdefCount(); ++i)
		takeType(engine->GetFuncdefByIndex(i));
	for (asUINT i = 0; i < engine->GetTypedefCount(); ++i)
		takeType(engine->GetTypedefByIndex(i));
}

bool CScriptOutline::refuse(const std::string& why)
{
	if (Why.empty())
		Why = why;
	return false;
}

bool CScriptOutline::count(irr::u32& counter, irr::u32 bound, const char* what)
{
	if (++counter <= bound)
		return true;
	return refuse("more than " + std::to_string(bound) + " " + what);
}

bool CScriptOutline::take(const SScriptToken& token, std::size_t controlDepth)
{
	++Tokens;
	if (!takeName(token) || !takeTypeNesting(token))
		return false;
	takeInFunction(token, controlDepth);
	if (token.is(";") || token.Kind == ESTK_OPERATOR)
		count(StatementsAndOperators, SCRIPT_MAX_STATEMENTS_AND_OPERATORS, "statements and operators");
	SScope& scope = Scopes.back();
	if (token.is("::") || (token.Kind == ESTK_NAME && scope.NamespaceDepth >= 2))
		++NamespaceLookups;
	if (scope.Kind == ES_PAREN && token.Kind != ESTK_CLOSE && !token.is(","))
		scope.Empty = false;
	// The written text of a parameter list, up to the `)` that ends it.
	if (OpenHead >= 0 && !(token.Kind == ESTK_CLOSE && OpenHead + 1 == static_cast<int>(Scopes.size())))
	{
		SHead& head = Heads[static_cast<std::size_t>(Scopes[static_cast<std::size_t>(OpenHead)].Head)];
		head.Characters += size32(token.Text.size()) + 1 + (token.is("[") ? PRINTED_PER_BRACKET : 0);
		if (token.Kind == ESTK_NAME)
			++head.Names;
	}
	// The text of a default argument, up to the `,` or `)` that ends it.
	if (SDefault* value = openDefault())
	{
		const bool ends = OpenDefaultScope + 1 == static_cast<int>(Scopes.size()) &&
			(token.is(",") || token.Kind == ESTK_CLOSE);
		if (!ends)
		{
			++value->Tokens;
			if (token.Kind == ESTK_NAME)
				value->Names.push_back(token.Text);
		}
	}
	if (token.Kind == ESTK_OPEN)
		open(token);
	else if (token.Kind == ESTK_CLOSE)
		close(token);
	else if (scope.Kind == ES_PAREN && scope.Head >= 0)
		takeInParameters(scope, token);
	else if (isBody(scope))
		takeInBody(scope, token);
	else
		takeInDeclaration(scope, token);
	Previous = token;
	return Why.empty();
}

void CScriptOutline::takeInFunction(const SScriptToken& token, std::size_t controlDepth)
{
	const SScope& scope = Scopes.back();
	const int initialises = scope.Kind == ES_CLASS && scope.Declaration.Assigned ? scope.Class : scope.Initialises;
	if (initialises >= 0)
	{
		++Classes[static_cast<std::size_t>(initialises)].InitialiserTokens;
		return;
	}
	if (scope.Function < 0)
		return;
	SScope& function = Scopes[static_cast<std::size_t>(scope.Function)];
	++function.BodyTokens;
	function.HeldTokens += controlDepth;
	if (isWord(token, "while") || isWord(token, "for") || isWord(token, "do") || isWord(token, "return") ||
		isWord(token, "break") || isWord(token, "continue"))
		++function.FarJumps;
	if (function.BodyTokens > SCRIPT_MAX_FUNCTION_TOKENS)
		refuse("more than " + std::to_string(SCRIPT_MAX_FUNCTION_TOKENS) + " tokens in one function");
}

void CScriptOutline::closeFunction(const SScope& function)
{
	if (function.FarJumps * function.BodyTokens + function.HeldTokens > SCRIPT_MAX_JUMP_SEARCH)
		refuse("jumps in one function the compiler would look for through more than " +
			std::to_string(SCRIPT_MAX_JUMP_SEARCH) + " tokens");
	if (function.Constructs >= 0)
	{
		SClass& owner = Classes[static_cast<std::size_t>(function.Constructs)];
		owner.LongestConstructor = std::max(owner.LongestConstructor, function.BodyTokens);
	}
	// A lambda is parsed with the function it is written in.
	const SScope& outer = Scopes.back();
	if (outer.Function >= 0)
	{
		SScope& around = Scopes[static_cast<std::size_t>(outer.Function)];
		around.BodyTokens += function.BodyTokens;
		if (around.BodyTokens > SCRIPT_MAX_FUNCTION_TOKENS)
			refuse("more than " + std::to_string(SCRIPT_MAX_FUNCTION_TOKENS) + " tokens in one function");
	}
}

bool CScriptOutline::takeName(const SScriptToken& token)
{
	if (token.Kind != ESTK_NAME)
	{
		if (!token.is("::"))
			ChainLength = 0;
		else
			ChainLength += 2;
		return true;
	}
	if (token.Text.size() > SCRIPT_MAX_NAME_LENGTH)
		return refuse("a name longer than " + std::to_string(SCRIPT_MAX_NAME_LENGTH) + " characters");
	ChainLength = (Previous.is("::") ? ChainLength : 0) + size32(token.Text.size());
	if (ChainLength > SCRIPT_MAX_SCOPED_NAME)
		return refuse("a name with its scope longer than " + std::to_string(SCRIPT_MAX_SCOPED_NAME) + " characters");
	return true;
}

bool CScriptOutline::takeTypeNesting(const SScriptToken& token)
{
	const bool afterTemplateName = AfterTemplateName;
	const bool afterOpenBracket = AfterOpenBracket;
	PreviousClosedTemplate = ClosedTemplate;
	ClosedTemplate = false;
	AfterTemplateName = token.Kind == ESTK_NAME &&
		std::find(TemplateNames.begin(), TemplateNames.end(), token.Text) != TemplateNames.end();
	AfterOpenBracket = token.is("[");
	const auto deeper = [this](irr::u32 nesting) {
		DeepestType = std::max(DeepestType, nesting);
		return nesting <= SCRIPT_MAX_TYPE_NESTING ||
			refuse("a type nested deeper than " + std::to_string(SCRIPT_MAX_TYPE_NESTING));
	};
	if (afterTemplateName && token.is("<"))
	{
		OpenTemplates.push_back(0);
		TemplateStarts.push_back(Previous.Offset);
		LastType = 0;
		return deeper(size32(OpenTemplates.size()));
	}
	if (!OpenTemplates.empty() && token.Kind == ESTK_OPERATOR &&
		token.Text.find_first_not_of('>') == std::string_view::npos)
	{
		for (std::size_t i = 0; i < token.Text.size() && !OpenTemplates.empty(); ++i)
		{
			const irr::u32 nesting = 1 + std::max(OpenTemplates.back(), LastType);
			OpenTemplates.pop_back();
			LastTypeStart = TemplateStarts.back();
			TemplateStarts.pop_back();
			if (!OpenTemplates.empty())
				OpenTemplates.back() = std::max(OpenTemplates.back(), nesting);
			LastType = nesting;
		}
		ClosedTemplate = true;
		return takeTemplateInstance(LastTypeStart, token);
	}
	if (afterOpenBracket && token.is("]"))
	{
		// `T[]` is array<T>.
		++LastType;
		return deeper(LastType + size32(OpenTemplates.size())) && takeTemplateInstance(LastTypeStart, token);
	}
	if (token.is("[") || token.is("@") || isWord(token, "const"))
		return true;
	if (token.Kind == ESTK_NAME || token.Kind == ESTK_KEYWORD)
	{
		if (!Previous.is("::"))
			LastTypeStart = token.Offset;
	}
	else if (!token.is("::"))
		LastTypeStart = token.Offset;
	LastType = 0;
	return true;
}

bool CScriptOutline::takeTemplateInstance(std::size_t start, const SScriptToken& end)
{
	const char* code = end.Text.data() - end.Offset;
	std::string text;
	for (std::size_t i = start; i < end.Offset + end.Text.size(); ++i)
		if (code[i] != ' ' && code[i] != '\t' && code[i] != '\r' && code[i] != '\n')
			text += code[i];
	if (TemplateInstances.insert(text).second && TemplateInstances.size() > SCRIPT_MAX_TEMPLATE_INSTANCES)
		return refuse("more than " + std::to_string(SCRIPT_MAX_TEMPLATE_INSTANCES) + " template types");
	return true;
}

void CScriptOutline::takeLocal(const SScriptToken& token)
{
	const bool afterType = Previous.Kind == ESTK_NAME || Previous.is(">") || Previous.is(">>") || Previous.is(">>>") ||
		Previous.is("]") || Previous.is("@") || (Previous.Kind == ESTK_KEYWORD && isTypeWord(Previous.Text));
	const bool anotherDeclarator = DeclaringAt == Scopes.size() && Previous.is(",");
	if (!afterType && !anotherDeclarator)
		return;
	DeclaringAt = Scopes.size();
	for (auto scope = Scopes.rbegin(); scope != Scopes.rend(); ++scope)
		if (scope->Kind == ES_FUNCTION)
		{
			count(scope->Locals, SCRIPT_MAX_LOCALS, "variables in one function");
			return;
		}
}

bool CScriptOutline::isBody(const SScope& scope) const
{
	switch (scope.Kind)
	{
	case ES_FUNCTION:
	case ES_BLOCK:
	case ES_LIST:
	case ES_PAREN:
	case ES_BRACKET:
		return true;
	default:
		// A global variable's initialiser is code that runs.
		return (scope.Kind == ES_FILE || scope.Kind == ES_NAMESPACE || scope.Kind == ES_CLASS) &&
			scope.Declaration.Assigned;
	}
}

int CScriptOutline::enclosingEstimate() const
{
	for (auto scope = Scopes.rbegin(); scope != Scopes.rend(); ++scope)
		if (scope->Kind == ES_FUNCTION)
			return scope->Estimate;
	return -1;
}

CScriptOutline::SDefault* CScriptOutline::openDefault()
{
	if (OpenDefaultScope < 0)
		return nullptr;
	return &Heads[static_cast<std::size_t>(Scopes[static_cast<std::size_t>(OpenDefaultScope)].Head)].Defaults.back();
}

void CScriptOutline::takeInDeclaration(SScope& scope, const SScriptToken& token)
{
	SDeclaration& declaration = scope.Declaration;
	if (scope.Kind == ES_PROPERTY)
	{
		if (isWord(token, "get") || isWord(token, "set"))
			PendingAccessor = true;
		else if (!isFunctionTail(token))
			PendingAccessor = false;
		return;
	}
	if (scope.Kind == ES_ENUM)
	{
		// An enum's values are compiled as global constants, in the same rounds.
		if (token.is(","))
			declaration = SDeclaration();
		else if (declaration.Assigned && !Globals.empty())
		{
			++Globals.back().Tokens;
			if (token.Kind == ESTK_NAME)
				Globals.back().Names.push_back(token.Text);
		}
		else if (token.Kind == ESTK_NAME)
			declaration.LastName = token.Text;
		else if (token.is("="))
		{
			declaration.Assigned = true;
			Globals.emplace_back();
			Globals.back().Name = declaration.LastName;
		}
		return;
	}
	if (token.is(";"))
	{
		endDeclaration(scope, token.Offset);
		return;
	}
	declaration.Characters += size32(token.Text.size()) + 1 + (token.is("[") ? PRINTED_PER_BRACKET : 0);
	if (token.Kind == ESTK_NAME)
		++declaration.Names;
	if (declaration.Head < 0)
	{
		if ((token.Kind == ESTK_NAME && !isWord(token, "shared") && !isWord(token, "external")) ||
			(token.Kind == ESTK_KEYWORD && isTypeWord(token.Text)))
			++declaration.TypeWords;
		declaration.Tilde = declaration.Tilde || token.is("~");
	}
	else if (scope.Kind == ES_CLASS && declaration.TypeWords == 1 && !declaration.Tilde &&
		(isWord(token, "override") || isWord(token, "final")))
	{
		// The compiler fails an assertion on it, which ends the program.
		refuse("a constructor marked '" + std::string(token.Text) + "'");
		return;
	}
	if (declaration.Head >= 0 && isWord(token, "property") && scope.Kind != ES_CLASS)
		count(Accessors, SCRIPT_MAX_ACCESSORS, "global property accessors");
	const bool declaresType = isWord(token, "class") || isWord(token, "interface") || isWord(token, "enum") ||
		isWord(token, "typedef") || isWord(token, "funcdef");
	if (declaresType)
		count(Types, SCRIPT_MAX_TYPES, "types");
	if (token.is(",") && scope.Kind == ES_CLASS && scope.Class >= 0)
		++Classes[static_cast<std::size_t>(scope.Class)].Members;
	if (isWord(token, "namespace"))
		declaration.Namespace = true;
	else if (isWord(token, "class") || isWord(token, "interface"))
		declaration.Class = true;
	else if (isWord(token, "mixin"))
		declaration.Mixin = true;
	else if (isWord(token, "enum"))
		declaration.Enum = true;
	else if (isWord(token, "typedef"))
		declaration.Typedef = true;
	else if (isWord(token, "funcdef"))
		declaration.Funcdef = true;
	else if (isWord(token, "shared") || isWord(token, "external"))
		declaration.Shared = true;
	else if (token.is(":") && declaration.Class)
		declaration.Bases = true;
	else if (token.is("=") && declaration.Head < 0)
	{
		declaration.Assigned = true;
		declaration.AssignedAt = token.Offset;
		if (scope.Kind != ES_CLASS)
		{
			Globals.emplace_back();
			Globals.back().Name = declaration.LastName;
			InGlobalInitialiser = true;
		}
	}
	else if (token.Kind == ESTK_NAME)
	{
		if ((declaration.Namespace || declaration.Class || declaration.Enum) && declaration.Name.empty())
		{
			declaration.Name = token.Text;
			if (declaration.Class || declaration.Enum)
				LongestTypeName = std::max(LongestTypeName, size32(token.Text.size()));
		}
		else if (declaration.Bases)
			declaration.BaseNames.push_back(token.Text);
		declaration.LastName = token.Text;
	}
}

void CScriptOutline::endDeclaration(SScope& scope, std::size_t at)
{
	SDeclaration& declaration = scope.Declaration;
	if ((declaration.Typedef || declaration.Funcdef) && !declaration.LastName.empty())
		LongestTypeName = std::max(LongestTypeName, size32(declaration.LastName.size()));
	if (scope.Kind == ES_CLASS && scope.Class >= 0)
	{
		SClass& owner = Classes[static_cast<std::size_t>(scope.Class)];
		++owner.Members;
		// Compiling an initialiser costs about as much as 16 bytes of
		// ordinary code besides its own text.
		if (declaration.Assigned)
			owner.InitialiserBytes += at - declaration.AssignedAt + 16;
	}
	declaration = SDeclaration();
	InGlobalInitialiser = false;
}

void CScriptOutline::takeInBody(SScope& scope, const SScriptToken& token)
{
	if (token.Kind == ESTK_NAME)
	{
		// A call in a default argument is compiled where the default is.
		if (OpenDefaultScope < 0)
			++BodyNames[token.Text];
		if (InGlobalInitialiser && !Globals.empty())
			Globals.back().Names.push_back(token.Text);
	}
	if (InGlobalInitialiser && !Globals.empty())
		++Globals.back().Tokens;
	if (token.Kind == ESTK_NAME && scope.Kind != ES_FILE && scope.Kind != ES_NAMESPACE && scope.Kind != ES_CLASS)
		takeLocal(token);
	else if (token.is(";"))
		DeclaringAt = 0;
	PendingLambda = isWord(token, "function");
	if (isWord(token, "switch"))
		PendingSwitch = true;
	else if (isWord(token, "case"))
	{
		for (auto around = Scopes.rbegin(); around != Scopes.rend(); ++around)
			if (around->Switch)
			{
				count(around->Cases, SCRIPT_MAX_SWITCH_CASES, "cases in one switch");
				break;
			}
	}
	if (scope.Kind == ES_PAREN && token.is(","))
		++scope.Items;
	else if (scope.Kind == ES_LIST && token.is(","))
		count(ListItems, SCRIPT_MAX_LIST_ITEMS, "items of initialiser lists");
	// A global variable's declaration ends at its `;` at the scope it was
	// declared in; `,` in an enum ends a value.
	if ((scope.Kind == ES_FILE || scope.Kind == ES_NAMESPACE || scope.Kind == ES_CLASS) && token.is(";"))
		endDeclaration(scope, token.Offset);
}

void CScriptOutline::takeInParameters(SScope& scope, const SScriptToken& token)
{
	SHead& head = Heads[static_cast<std::size_t>(scope.Head)];
	if (token.is(","))
	{
		++scope.Items;
		if (scope.InDefault)
			head.DefaultCharacters += size32(token.Offset - scope.DefaultStart);
		scope.InDefault = false;
		OpenDefaultScope = -1;
	}
	else if (token.is("=") && !scope.InDefault)
	{
		scope.InDefault = true;
		scope.DefaultStart = token.Offset + 1;
		head.Defaults.emplace_back();
		OpenDefaultScope = static_cast<int>(Scopes.size()) - 1;
	}
}

void CScriptOutline::open(const SScriptToken& token)
{
	SScope& outer = Scopes.back();
	SScope scope;
	scope.NamespacePath = outer.NamespacePath;
	scope.NamespaceName = outer.NamespaceName;
	scope.NamespaceDepth = outer.NamespaceDepth;
	scope.Function = outer.Function;
	scope.Initialises = outer.Kind == ES_CLASS && outer.Declaration.Assigned ? outer.Class : outer.Initialises;
	const char bracket = token.Text[0];
	if (bracket == '[')
	{
		scope.Kind = ES_BRACKET;
	}
	else if (bracket == '(')
	{
		scope.Kind = ES_PAREN;
		const bool declaring = !isBody(outer) && outer.Kind != ES_ENUM && outer.Kind != ES_PROPERTY;
		if (PendingLambda)
		{
			scope.Lambda = true;
		}
		else if (declaring && outer.Declaration.Head < 0)
		{
			// A function's parameters, a funcdef's or an import's.
			SHead head;
			head.Name = outer.Declaration.LastName;
			head.Characters = outer.Declaration.Characters;
			head.Names = outer.Declaration.Names;
			if (outer.Kind == ES_CLASS && outer.Class >= 0)
			{
				SClass& owner = Classes[static_cast<std::size_t>(outer.Class)];
				head.Characters += size32(owner.Name.size()) + 2;
				if (head.Name == owner.Name && !Previous.is("~"))
					++owner.Constructors;
				++owner.Overloads[head.Name];
			}
			else
			{
				++GlobalOverloads[head.Name];
				if (outer.Declaration.Shared && !outer.Declaration.Funcdef)
					++SharedFunctions;
			}
			count(Functions, SCRIPT_MAX_FUNCTIONS, "functions");
			scope.Head = static_cast<int>(Heads.size());
			outer.Declaration.Head = scope.Head;
			Heads.push_back(head);
			OpenHead = static_cast<int>(Scopes.size());
		}
		else if (Previous.Kind == ESTK_NAME || Previous.is(">") || Previous.Kind == ESTK_CLOSE)
		{
			scope.NameLength = Previous.Kind == ESTK_NAME ? ChainLength : 0;
		}
	}
	else if (!isBody(outer))
	{
		SDeclaration& declaration = outer.Declaration;
		if (outer.Kind == ES_PROPERTY)
		{
			scope.Kind = ES_FUNCTION;
			// An accessor is printed as get_name / set_name with one value.
			SEstimate estimate{2, 0, size32(outer.Declaration.Name.size()) + PRINTED_AROUND_DECLARATION + 8};
			scope.Estimate = static_cast<int>(Estimates.size());
			Estimates.push_back(estimate);
			PendingAccessor = false;
			count(Functions, SCRIPT_MAX_FUNCTIONS, "functions");
			if (Scopes.size() >= 2 && Scopes[Scopes.size() - 2].Kind == ES_CLASS &&
				Scopes[Scopes.size() - 2].Class >= 0)
				++Classes[static_cast<std::size_t>(Scopes[Scopes.size() - 2].Class)].Members;
			else
				count(Accessors, SCRIPT_MAX_ACCESSORS, "global property accessors");
		}
		else if (declaration.Namespace)
		{
			scope.Kind = ES_NAMESPACE;
			scope.NamespacePath = outer.NamespacePath + (outer.NamespacePath ? 2 : 0) + size32(declaration.Name.size());
			LongestNamespacePath = std::max(LongestNamespacePath, scope.NamespacePath);
			if (scope.NamespacePath > SCRIPT_MAX_SCOPED_NAME)
				refuse("namespaces whose names together are longer than " + std::to_string(SCRIPT_MAX_SCOPED_NAME) +
					" characters");
			scope.NamespaceName = (outer.NamespaceName.empty() ? "" : outer.NamespaceName + "::") +
				std::string(declaration.Name);
			++scope.NamespaceDepth;
			Namespaces.insert(scope.NamespaceName);
			if (Namespaces.size() > SCRIPT_MAX_NAMESPACES)
				refuse("more than " + std::to_string(SCRIPT_MAX_NAMESPACES) + " namespaces");
		}
		else if (declaration.Class)
		{
			scope.Kind = ES_CLASS;
			SClass owner;
			owner.Name = declaration.Name;
			owner.Mixin = declaration.Mixin;
			owner.Bases = declaration.BaseNames;
			owner.BodyStart = token.Offset;
			scope.Class = static_cast<int>(Classes.size());
			Classes.push_back(owner);
		}
		else if (declaration.Enum)
		{
			scope.Kind = ES_ENUM;
		}
		else if (declaration.Head >= 0)
		{
			scope.Kind = ES_FUNCTION;
			const SHead& head = Heads[static_cast<std::size_t>(declaration.Head)];
			scope.Estimate = head.Estimate;
			if (outer.Kind == ES_CLASS && outer.Class >= 0)
			{
				SClass& owner = Classes[static_cast<std::size_t>(outer.Class)];
				++owner.Members;
				if (head.Name == owner.Name && !declaration.Tilde)
					scope.Constructs = outer.Class;
			}
		}
		else if (outer.Kind == ES_ENUM)
		{
			scope.Kind = ES_BLOCK;
		}
		else
		{
			// `int value { get { ... } set { ... } }`
			scope.Kind = ES_PROPERTY;
			scope.Declaration.Name = declaration.LastName;
		}
		if (scope.Kind != ES_PROPERTY)
			declaration = SDeclaration();
		InGlobalInitialiser = false;
	}
	else if (ClosedLambda >= 0 && Previous.is(")"))
	{
		scope.Kind = ES_FUNCTION;
		count(Lambdas, SCRIPT_MAX_LAMBDAS, "lambdas");
		count(Functions, SCRIPT_MAX_FUNCTIONS, "functions");
		// A lambda is named after the function it is in: "$" + its declaration.
		const int around = enclosingEstimate();
		SEstimate estimate{static_cast<irr::u32>(ClosedLambda) + 1, 0, PRINTED_AROUND_DECLARATION + 16};
		if (around >= 0)
		{
			const SEstimate& outerFunction = Estimates[static_cast<std::size_t>(around)];
			estimate.Types += outerFunction.Types;
			estimate.Names += outerFunction.Names;
			estimate.Fixed += outerFunction.Fixed;
		}
		else
		{
			// Or after the global variable it initialises.
			estimate.Fixed += SCRIPT_MAX_NAME_LENGTH;
		}
		scope.Estimate = static_cast<int>(Estimates.size());
		Estimates.push_back(estimate);
	}
	else if (outer.Kind == ES_LIST || Previous.is("=") || Previous.is("(") || Previous.is(",") || Previous.is("return"))
	{
		scope.Kind = ES_LIST;
		count(ListItems, SCRIPT_MAX_LIST_ITEMS, "items of initialiser lists");
	}
	else
	{
		scope.Kind = ES_BLOCK;
		scope.Switch = PendingSwitch && Previous.is(")");
	}
	if (bracket == '{')
	{
		PendingSwitch = false;
		DeclaringAt = 0;
	}
	ClosedLambda = -1;
	PendingLambda = false;
	if (scope.Kind == ES_FUNCTION)
	{
		scope.Function = static_cast<int>(Scopes.size());
		scope.Initialises = -1;
	}
	Scopes.push_back(scope);
}

void CScriptOutline::close(const SScriptToken& token)
{
	if (Scopes.size() < 2)
		return;
	SScope scope = Scopes.back();
	Scopes.pop_back();
	SScope& outer = Scopes.back();
	ClosedLambda = -1;
	if (scope.Kind == ES_FUNCTION)
		closeFunction(scope);
	if (scope.Kind == ES_PAREN)
	{
		const irr::u32 items = scope.Items + (scope.Empty ? 0 : 1);
		if (scope.Lambda)
		{
			ClosedLambda = static_cast<int>(items);
		}
		else if (scope.Head >= 0)
		{
			SHead& head = Heads[static_cast<std::size_t>(scope.Head)];
			if (scope.InDefault)
				head.DefaultCharacters += size32(token.Offset - scope.DefaultStart);
			OpenDefaultScope = -1;
			OpenHead = -1;
			head.Parameters = items;
			head.Estimate = static_cast<int>(Estimates.size());
			// The written declaration as the compiler prints it back: its
			// types, names and default arguments (without the parameters'
			// names, which are counted all the same).
			Estimates.push_back(
				SEstimate{0, head.Names, head.Characters + head.DefaultCharacters + PRINTED_AROUND_DECLARATION});
		}
		else
		{
			Estimates.push_back(SEstimate{items, 0, scope.NameLength + items * 2 + PRINTED_AROUND_CALL});
		}
	}
	else if (scope.Kind == ES_CLASS && scope.Class >= 0)
	{
		Classes[static_cast<std::size_t>(scope.Class)].BodyBytes = token.Offset -
			Classes[static_cast<std::size_t>(scope.Class)].BodyStart;
	}
	if (scope.Kind != ES_PAREN && scope.Kind != ES_BRACKET && scope.Kind != ES_LIST && !isBody(outer) &&
		outer.Kind != ES_PROPERTY && outer.Kind != ES_ENUM)
	{
		// A body or a class ends its declaration; a list belongs to the
		// declaration of a variable, which ends at its `;`.
		outer.Declaration = SDeclaration();
		InGlobalInitialiser = false;
	}
}

bool CScriptOutline::finish(std::size_t length)
{
	return Why.empty() && checkExpansion(length) && checkDeclarations() && checkDefaults() &&
		checkGlobalInitialisers() && checkInheritance() && checkInheritedMembers() && checkOverloads() &&
		checkNamespaces() && checkSharedFunctions();
}

bool CScriptOutline::checkDeclarations()
{
	const irr::u64 longestType = PRINTED_AROUND_TYPE + LongestNamespacePath + 2 + LongestTypeName +
		static_cast<irr::u64>(DeepestType) * PRINTED_PER_TEMPLATE;
	const irr::u64 longestPrefix = LongestNamespacePath + 2 + PRINTED_PER_TYPEDEF;
	for (const SEstimate& estimate : Estimates)
		if (estimate.Types * longestType + estimate.Names * longestPrefix + estimate.Fixed >
			SCRIPT_MAX_DECLARATION_TEXT)
			return refuse("a declaration or call the compiler would write in more than " +
				std::to_string(SCRIPT_MAX_DECLARATION_TEXT) + " characters");
	return true;
}

} // namespace orv::script
