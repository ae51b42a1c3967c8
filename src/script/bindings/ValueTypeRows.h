#pragma once
// Registrations of one value type written as tables: each row holds a
// declaration pattern, the native and its calling convention. Patterns name
// the type and its companions by placeholders, so the float and the integer
// instance of a template share one table:
//   @T the type itself, @S its scalar, @V its vector, @D its dimension.
// An '@' before any other character is a handle and stays as written.

#include "script/bindings/GeometryRegistrar.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace orv::script {

struct SDeclNames
{
	std::string_view Type;
	std::string_view Scalar;
	std::string_view Vector;
	std::string_view Dimension;
};

struct SBehaviourRow
{
	AngelScript::asEBehaviours Behaviour;
	const char* Declaration;
	AngelScript::asSFuncPtr Function;
};

struct SMethodRow
{
	const char* Declaration;
	AngelScript::asSFuncPtr Function;
	AngelScript::asDWORD CallConv;
	// Members that take a &inout reference exist only when the engine allows
	// unsafe references.
	bool UnsafeOnly = false;
};

struct SPropertyRow
{
	const char* Declaration;
	int Offset;
};

// The one text stream of a registrar call: every call empties it and appends
// the pattern's pieces with the placeholders replaced.
class CDeclAssembler
{
public:
	explicit CDeclAssembler(const SDeclNames& names) : Names(names) {}
	const char* operator()(const char* pattern);

private:
	SDeclNames Names;
	std::string Text;
};

// Registers behaviours, then methods, then properties, in table order; the
// engine's results are not examined, a refusal reaches its message callback.
void registerRows(asIScriptEngine* engine, const SDeclNames& names, const SBehaviourRow* behaviours,
	std::size_t behaviourCount, const SMethodRow* methods, std::size_t methodCount, const SPropertyRow* properties,
	std::size_t propertyCount);

template <std::size_t NB, std::size_t NM, std::size_t NP>
void registerRows(asIScriptEngine* engine, const SDeclNames& names, const SBehaviourRow (&behaviours)[NB],
	const SMethodRow (&methods)[NM], const SPropertyRow (&properties)[NP])
{
	registerRows(engine, names, behaviours, NB, methods, NM, properties, NP);
}

template <std::size_t NB, std::size_t NM>
void registerRows(asIScriptEngine* engine, const SDeclNames& names, const SBehaviourRow (&behaviours)[NB],
	const SMethodRow (&methods)[NM])
{
	registerRows(engine, names, behaviours, NB, methods, NM, nullptr, 0);
}

} // namespace orv::script
