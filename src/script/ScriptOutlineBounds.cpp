#include "script/ScriptOutline.h"

#include <angelscript.h>

#include <algorithm>
#include <unordered_set>

#include "script/ScriptSourceGuard.h"

// The bounds the outline judges once the whole module is read.

namespace orv::script {

bool CScriptOutline::checkExpansion(std::size_t length)
{
	for (const SClass& owner : Classes)
		if (owner.Mixin)
			Mixins[owner.Name] = &owner;
	// Small code may take in no more than its size says, as for defaults.
	const std::size_t bound = std::min<std::size_t>(
		SCRIPT_MAX_SOURCE_BYTES, SCRIPT_BEYOND_TEXT_BYTES_FLOOR + SCRIPT_BEYOND_TEXT_PER_TOKEN * length);
	std::size_t compiled = length;
	for (const SClass& owner : Classes)
	{
		if (owner.Mixin)
			continue;
		std::size_t initialisers = owner.InitialiserBytes;
		irr::u64 initialiserTokens = owner.InitialiserTokens;
		irr::u64 members = owner.Members;
		for (std::string_view base : owner.Bases)
		{
			const auto found = Mixins.find(base);
			if (found == Mixins.end())
				continue;
			compiled += found->second->BodyBytes;
			initialisers += found->second->InitialiserBytes;
			initialiserTokens += found->second->InitialiserTokens;
			members += found->second->Members;
		}
		if (members > SCRIPT_MAX_CLASS_MEMBERS)
			return refuse("more than " + std::to_string(SCRIPT_MAX_CLASS_MEMBERS) + " members in one class");
		if (initialiserTokens + owner.LongestConstructor > SCRIPT_MAX_FUNCTION_TOKENS)
			return refuse("more than " + std::to_string(SCRIPT_MAX_FUNCTION_TOKENS) +
				" tokens in one constructor with the member initialisers it compiles");
		// Every constructor compiles the members' initialisers again.
		compiled += initialisers * (std::max<irr::u32>(owner.Constructors, 1) - 1);
		if (compiled > bound)
			return refuse("more than " + std::to_string(bound) +
				" bytes of code with what classes take in from mixins and compile for each constructor");
	}
	return true;
}

bool CScriptOutline::defaultCost(std::string_view name, irr::u32 depth, irr::u64& cost)
{
	cost = 0;
	if (const auto known = DefaultCosts.find(name); known != DefaultCosts.end())
	{
		cost = known->second;
		return true;
	}
	if (depth > SCRIPT_MAX_DEFAULT_NESTING)
		return refuse("default arguments that call functions with default arguments deeper than " +
			std::to_string(SCRIPT_MAX_DEFAULT_NESTING));
	if (DefaultsVisiting[name])
		return refuse("default arguments that call their own function");
	DefaultsVisiting[name] = true;
	irr::u64 worst = 0;
	for (const SHead& head : Heads)
	{
		if (head.Name != name || head.Defaults.empty())
			continue;
		irr::u64 total = 0;
		for (const SDefault& value : head.Defaults)
		{
			total += 1 + value.Tokens;
			for (std::string_view called : value.Names)
			{
				irr::u64 inner = 0;
				if (!defaultCost(called, depth + 1, inner))
					return false;
				total += inner;
			}
		}
		worst = std::max(worst, total);
	}
	DefaultsVisiting[name] = false;
	DefaultCosts[name] = worst;
	cost = worst;
	return true;
}

irr::u64 CScriptOutline::beyondText(irr::u64 absolute) const
{
	return std::min(absolute, SCRIPT_BEYOND_TEXT_FLOOR + SCRIPT_BEYOND_TEXT_PER_TOKEN * Tokens);
}

bool CScriptOutline::checkDefaults()
{
	const irr::u64 bound = beyondText(SCRIPT_MAX_DEFAULT_EXPANSION);
	irr::u64 total = 0;
	std::unordered_set<std::string_view> seen;
	for (const SHead& head : Heads)
	{
		if (head.Defaults.empty() || !seen.insert(head.Name).second)
			continue;
		irr::u64 cost = 0;
		if (!defaultCost(head.Name, 0, cost))
			return false;
		const auto calls = BodyNames.find(head.Name);
		total += cost * (calls == BodyNames.end() ? 0 : calls->second);
		if (total > bound)
			return refuse("calls that compile more than " + std::to_string(bound) + " tokens of default arguments");
	}
	return true;
}

bool CScriptOutline::checkGlobalInitialisers()
{
	// The compiler tries the initialisers not compiled yet again in every
	// round, for as long as the round before compiled one: an initialiser
	// that names a global not compiled yet fails until that one is, so a
	// chain written backwards takes a round per link, and any initialiser
	// may fail in every round on an error of its own. Code in the order it
	// runs takes one round.
	std::unordered_map<std::string_view, std::size_t> index;
	irr::u64 tokens = 0;
	for (std::size_t i = 0; i < Globals.size(); ++i)
	{
		index.emplace(Globals[i].Name, i);
		tokens += Globals[i].Tokens;
	}
	std::vector<bool> compiled(Globals.size(), false);
	std::vector<std::size_t> pending(Globals.size());
	for (std::size_t i = 0; i < pending.size(); ++i)
		pending[i] = i;
	const irr::u64 bound = beyondText(SCRIPT_MAX_INITIALISER_ROUNDS);
	irr::u64 retried = 0;
	for (bool first = true; !pending.empty(); first = false)
	{
		if (!first)
		{
			retried += std::max<irr::u64>(tokens, pending.size());
			if (retried > bound)
				return refuse("global variables whose initialisers name one another, more than the compiler can order");
		}
		std::vector<std::size_t> failed;
		for (const std::size_t i : pending)
		{
			// Its own name too: it is not compiled while it compiles.
			const bool ready = std::all_of(
				Globals[i].Names.begin(), Globals[i].Names.end(), [&](std::string_view name) {
					const auto found = index.find(name);
					return found == index.end() || compiled[found->second];
				});
			if (ready)
				compiled[i] = true;
			else
				failed.push_back(i);
		}
		// A round that compiles nothing is the last.
		if (failed.size() == pending.size() && !first)
			break;
		pending.swap(failed);
	}
	return true;
}

irr::u32 CScriptOutline::inheritanceDepth(std::size_t index, irr::u32 depth)
{
	// 0: not known yet; a class met again on its own chain counts as known,
	// so a cycle (which the compiler refuses) ends the walk.
	if (InheritanceDepths[index] != 0 || depth > SCRIPT_MAX_INHERITANCE)
		return InheritanceDepths[index];
	InheritanceDepths[index] = 1;
	irr::u32 deepest = 1;
	for (std::string_view base : Classes[index].Bases)
		for (std::size_t other = 0; other < Classes.size(); ++other)
			if (Classes[other].Name == base && !Classes[other].Mixin)
				deepest = std::max(deepest, 1 + inheritanceDepth(other, depth + 1));
	InheritanceDepths[index] = deepest;
	return deepest;
}

bool CScriptOutline::checkInheritance()
{
	InheritanceDepths.assign(Classes.size(), 0);
	for (std::size_t i = 0; i < Classes.size(); ++i)
		if (!Classes[i].Bases.empty() && inheritanceDepth(i, 0) > SCRIPT_MAX_INHERITANCE)
			return refuse("classes derived from one another deeper than " + std::to_string(SCRIPT_MAX_INHERITANCE));
	return true;
}

irr::u64 CScriptOutline::inheritedMembers(std::size_t index)
{
	// 0: not known yet; a class met again on its own chain counts nothing,
	// so a cycle (which the compiler refuses) ends the walk.
	if (InheritedMembers[index] != 0)
		return InheritedMembers[index];
	InheritedMembers[index] = 1;
	const SClass& owner = Classes[index];
	irr::u64 members = 1 + owner.Members;
	for (std::string_view base : owner.Bases)
	{
		if (const auto mixin = Mixins.find(base); mixin != Mixins.end())
		{
			members += mixin->second->Members;
			continue;
		}
		for (std::size_t other = 0; other < Classes.size(); ++other)
			if (Classes[other].Name == base && !Classes[other].Mixin && InheritedMembers[other] != 1)
				members += inheritedMembers(other);
	}
	InheritedMembers[index] = members;
	return members;
}

bool CScriptOutline::checkInheritedMembers()
{
	// A derived class copies what it inherits and looks through all of it
	// for each of its members.
	InheritedMembers.assign(Classes.size(), 0);
	irr::u64 checks = 0;
	for (std::size_t i = 0; i < Classes.size(); ++i)
	{
		if (Classes[i].Mixin)
			continue;
		const irr::u64 members = inheritedMembers(i);
		checks += members * members;
		if (checks > SCRIPT_MAX_INHERITED_MEMBERS)
			return refuse("classes whose members with those they inherit, squared, add up to more than " +
				std::to_string(SCRIPT_MAX_INHERITED_MEMBERS));
	}
	return true;
}

bool CScriptOutline::checkOverloads()
{
	std::unordered_map<std::string_view, irr::u32> overloads = GlobalOverloads;
	for (const SClass& owner : Classes)
		for (const auto& entry : owner.Overloads)
			overloads[entry.first] = std::max(overloads[entry.first], entry.second);
	irr::u64 matches = 0;
	for (const auto& entry : overloads)
	{
		if (entry.second < 2)
			continue;
		const auto calls = BodyNames.find(entry.first);
		if (calls != BodyNames.end())
			matches += static_cast<irr::u64>(calls->second) * entry.second;
	}
	if (matches > SCRIPT_MAX_OVERLOAD_MATCHES)
		return refuse("calls that the compiler matches against more than " +
			std::to_string(SCRIPT_MAX_OVERLOAD_MATCHES) + " overloads in all");
	return true;
}

bool CScriptOutline::checkNamespaces()
{
	// The engine keeps every namespace code declared until it ends, and
	// finds one by its name by looking through all of them.
	irr::u64 held = HeldNamespaces ? HeldNamespaces->size() : 0;
	for (const std::string& name : Namespaces)
		if (!HeldNamespaces || HeldNamespaces->count(name) == 0)
			++held;
	if (held > SCRIPT_MAX_HELD_NAMESPACES)
		return refuse("namespaces past the " + std::to_string(SCRIPT_MAX_HELD_NAMESPACES) +
			" that scripts may declare while the client runs");
	if (NamespaceLookups * held > SCRIPT_MAX_NAMESPACE_SEARCH)
		return refuse(std::to_string(NamespaceLookups) + " names looked up among " + std::to_string(held) +
			" namespaces, more than " + std::to_string(SCRIPT_MAX_NAMESPACE_SEARCH) + " in all");
	return true;
}

bool CScriptOutline::checkSharedFunctions()
{
	if (SharedFunctions == 0)
		return true;
	// The compiler looks for each shared function among every script
	// function the engine holds, those of all modules.
	irr::u64 held = Functions;
	for (AngelScript::asUINT m = 0; m < Engine->GetModuleCount(); ++m)
	{
		const AngelScript::asIScriptModule* module = Engine->GetModuleByIndex(m);
		held += module->GetFunctionCount();
		for (AngelScript::asUINT t = 0; t < module->GetObjectTypeCount(); ++t)
		{
			const AngelScript::asITypeInfo* type = module->GetObjectTypeByIndex(t);
			held += type->GetMethodCount() + type->GetFactoryCount() + type->GetBehaviourCount();
		}
	}
	if (SharedFunctions * held > SCRIPT_MAX_SHARED_SEARCH)
		return refuse(std::to_string(SharedFunctions) + " shared functions looked for among " + std::to_string(held) +
			" script functions, more than " + std::to_string(SCRIPT_MAX_SHARED_SEARCH) + " in all");
	return true;
}

} // namespace orv::script
