#pragma once
// What a module's code declares, read from its tokens before it compiles:
// enough of its outline to see what the compiler would make of it beyond
// the text itself. The compiler writes declarations and messages through a
// formatter that breaks at 1,023 characters; a call compiles the default
// arguments of what it calls, and those of the calls in them; a class
// compiles again what it takes in from a mixin, and its members'
// initialisers once per constructor; global variables that name one another
// are tried again and again until their order works out; and a type nested
// in templates costs the compiler far more than its text.

#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include <irrTypes.h>

#include "script/ScriptTokens.h"

namespace AngelScript {
class asIScriptEngine;
}

namespace orv::script {

class CScriptOutline
{
public:
	//! The engine tells which names are registered types and templates;
	//! `heldNamespaces`, when given, are the namespaces the engine holds
	//! already (see checkScriptSource).
	CScriptOutline(
		const AngelScript::asIScriptEngine* engine, const std::unordered_set<std::string>* heldNamespaces = nullptr);

	//! Takes the next token, held by `controlDepth` statements that jump over
	//! what they hold (see CScriptNestingCheck::controlDepth); false once the
	//! code is refused.
	bool take(const SScriptToken& token, std::size_t controlDepth);
	//! After the last token of code of that many bytes: the bounds that need
	//! the whole module. False when the code is refused.
	bool finish(std::size_t length);
	//! Why the code was refused, or empty.
	const std::string& why() const { return Why; }
	//! The namespaces the code declares, by their whole names (`a::b`).
	const std::unordered_set<std::string>& namespaces() const { return Namespaces; }

private:
	enum EScope
	{
		ES_FILE,
		ES_NAMESPACE,
		ES_CLASS,
		ES_ENUM,
		ES_PROPERTY,
		ES_FUNCTION,
		ES_BLOCK,
		ES_LIST,
		ES_PAREN,
		ES_BRACKET
	};

	// What a file, namespace or class scope read of the declaration it is in.
	struct SDeclaration
	{
		bool Namespace = false;
		bool Class = false;
		bool Mixin = false;
		bool Enum = false;
		bool Typedef = false;
		bool Funcdef = false;
		//! `shared` or `external`: a function so declared is looked for
		//! among all the engine holds.
		bool Shared = false;
		bool Bases = false;
		bool Assigned = false;
		std::size_t AssignedAt = 0;
		//! The name after `namespace`, `class` or `enum`.
		std::string_view Name;
		std::string_view LastName;
		irr::u32 Characters = 0;
		irr::u32 Names = 0;
		//! Names and type words before the parameters, and a `~` among them:
		//! a function of a class with one name and no `~` is a constructor.
		irr::u32 TypeWords = 0;
		bool Tilde = false;
		//! The head whose parameters were read, or -1.
		int Head = -1;
		std::vector<std::string_view> BaseNames;
	};

	// What the compiler would write for a declaration or call: Types times
	// the longest type the module can print (for types the text does not
	// give: a call's arguments, a lambda's parameters), Names times what a
	// written name can grow by as it prints (its namespace, a typedef's
	// type), and Fixed.
	struct SEstimate
	{
		irr::u32 Types = 0;
		irr::u32 Names = 0;
		irr::u32 Fixed = 0;
	};

	struct SDefault
	{
		irr::u32 Tokens = 0;
		std::vector<std::string_view> Names;
	};

	struct SHead
	{
		std::string_view Name;
		//! The written characters (one more a token) and names of the
		//! declaration up to the end of its parameters.
		irr::u32 Characters = 0;
		irr::u32 Names = 0;
		irr::u32 Parameters = 0;
		irr::u32 DefaultCharacters = 0;
		std::vector<SDefault> Defaults;
		int Estimate = -1;
	};

	struct SClass
	{
		std::string_view Name;
		bool Mixin = false;
		std::vector<std::string_view> Bases;
		std::size_t BodyStart = 0;
		std::size_t BodyBytes = 0;
		std::size_t InitialiserBytes = 0;
		//! Tokens of the member initialisers, which every constructor
		//! compiles into itself, and of the longest constructor.
		irr::u64 InitialiserTokens = 0;
		irr::u64 LongestConstructor = 0;
		irr::u32 Constructors = 0;
		irr::u32 Members = 0;
		//! How many of the class's functions have each name.
		std::unordered_map<std::string_view, irr::u32> Overloads;
	};

	struct SScope
	{
		EScope Kind = ES_FILE;
		SDeclaration Declaration;
		irr::u32 NamespacePath = 0;
		//! The namespace the scope is in, and how many it is nested in.
		std::string NamespaceName;
		irr::u32 NamespaceDepth = 0;
		int Class = -1;
		//! The estimate of the function a function scope is the body of.
		int Estimate = -1;
		//! Paren scopes: the head whose parameters they hold, or a lambda's.
		int Head = -1;
		bool Lambda = false;
		irr::u32 Items = 0;
		bool Empty = true;
		irr::u32 NameLength = 0;
		std::size_t DefaultStart = 0;
		bool InDefault = false;
		//! Function scopes: the variables declared in them.
		irr::u32 Locals = 0;
		//! A switch's block, and its cases.
		bool Switch = false;
		irr::u32 Cases = 0;
		//! The innermost function scope around, by its index in Scopes, or
		//! -1; and the class whose member's initialiser the scope is in.
		int Function = -1;
		int Initialises = -1;
		//! Function scopes: the class they construct, or -1; their tokens,
		//! lambdas' included; the jumps whose target the compiler looks for
		//! through the whole function (loops, `return`, `break`, `continue`);
		//! and the tokens held by statements that jump over them, once for
		//! each such statement.
		int Constructs = -1;
		irr::u64 BodyTokens = 0;
		irr::u64 FarJumps = 0;
		irr::u64 HeldTokens = 0;
	};

	bool refuse(const std::string& why);
	bool takeName(const SScriptToken& token);
	bool takeTypeNesting(const SScriptToken& token);
	void takeInDeclaration(SScope& scope, const SScriptToken& token);
	void takeInBody(SScope& scope, const SScriptToken& token);
	void takeInParameters(SScope& scope, const SScriptToken& token);
	void open(const SScriptToken& token);
	void close(const SScriptToken& token);
	void endDeclaration(SScope& scope, std::size_t at);
	bool isBody(const SScope& scope) const;
	int enclosingEstimate() const;
	SDefault* openDefault();

	bool checkExpansion(std::size_t length);
	bool checkDeclarations();
	bool checkDefaults();
	bool checkGlobalInitialisers();
	bool checkInheritance();
	bool checkInheritedMembers();
	bool checkOverloads();
	bool checkNamespaces();
	bool checkSharedFunctions();
	//! What the compiler may do beyond the text in one way: at most
	//! `absolute`, and for small code less, in proportion to its tokens.
	irr::u64 beyondText(irr::u64 absolute) const;
	irr::u32 inheritanceDepth(std::size_t index, irr::u32 depth);
	irr::u64 inheritedMembers(std::size_t index);
	void takeInFunction(const SScriptToken& token, std::size_t controlDepth);
	void closeFunction(const SScope& function);
	bool count(irr::u32& counter, irr::u32 bound, const char* what);
	void takeLocal(const SScriptToken& token);
	bool takeTemplateInstance(std::size_t start, const SScriptToken& end);
	// The cost in tokens of the defaults a call of the name compiles, and how
	// deep they call one another; false on a cycle or past the bounds.
	bool defaultCost(std::string_view name, irr::u32 depth, irr::u64& cost);

	std::vector<SScope> Scopes;
	std::vector<SHead> Heads;
	std::vector<SClass> Classes;
	std::vector<SEstimate> Estimates;
	//! How often each name appears where code runs: every appearance may be
	//! a call that compiles the name's default arguments.
	std::unordered_map<std::string_view, irr::u32> BodyNames;
	std::unordered_map<std::string_view, irr::u64> DefaultCosts;
	std::unordered_map<std::string_view, bool> DefaultsVisiting;
	//! Global variables with an initialiser, and the names each one uses.
	struct SGlobal
	{
		std::string_view Name;
		irr::u32 Tokens = 0;
		std::vector<std::string_view> Names;
	};
	std::vector<SGlobal> Globals;
	bool InGlobalInitialiser = false;

	std::vector<std::string_view> TemplateNames;
	irr::u32 LongestTypeName = 0;
	irr::u32 LongestNamespacePath = 0;
	irr::u32 DeepestType = 0;

	// The token before the present one, and the name chain it ends.
	SScriptToken Previous{ESTK_OTHER, std::string_view(), 0};
	irr::u32 ChainLength = 0;
	// Template brackets open around the present token, each with the deepest
	// type inside it so far; and the nesting of the type that just ended.
	std::vector<irr::u32> OpenTemplates;
	irr::u32 LastType = 0;
	bool AfterTemplateName = false;
	// Whether the present token, and the one before, closed a template.
	bool ClosedTemplate = false;
	bool PreviousClosedTemplate = false;
	bool AfterOpenBracket = false;
	bool PendingLambda = false;
	//! Parameters of the lambda whose list just closed, for its body.
	int ClosedLambda = -1;
	bool PendingAccessor = false;
	//! The parameter list whose default argument is being read, or -1.
	int OpenDefaultScope = -1;
	//! The parameter list being read, or -1.
	int OpenHead = -1;
	irr::u32 Lambdas = 0;
	irr::u32 Functions = 0;
	irr::u32 Types = 0;
	irr::u32 ListItems = 0;
	bool PendingSwitch = false;
	//! A local declaration goes on at this depth of scopes: `int a, b`.
	std::size_t DeclaringAt = 0;
	//! Functions outside classes by name.
	std::unordered_map<std::string_view, irr::u32> GlobalOverloads;
	//! Template types by their text without white space, and where the type
	//! that ends at the present token starts; and where each open template
	//! started.
	std::unordered_set<std::string> TemplateInstances;
	std::size_t LastTypeStart = 0;
	std::vector<std::size_t> TemplateStarts;
	std::vector<irr::u32> InheritanceDepths;
	//! Members of each class with those it derives (0: not known yet).
	std::vector<irr::u64> InheritedMembers;
	std::unordered_map<std::string_view, const SClass*> Mixins;
	//! Functions outside classes declared `property`, and accessors of
	//! virtual properties outside classes.
	irr::u32 Accessors = 0;
	irr::u32 StatementsAndOperators = 0;
	//! Functions outside classes declared `shared` or `external`.
	irr::u32 SharedFunctions = 0;
	const AngelScript::asIScriptEngine* Engine;
	//! Every token of the code.
	irr::u64 Tokens = 0;
	const std::unordered_set<std::string>* HeldNamespaces;
	std::unordered_set<std::string> Namespaces;
	//! Names the compiler looks a namespace up for, through all the engine
	//! holds: scopes (`a::`) and the names of code in nested namespaces,
	//! whose outer namespace is found by its name.
	irr::u64 NamespaceLookups = 0;
	std::string Why;
};

} // namespace orv::script
