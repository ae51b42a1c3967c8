#include "script/bindings/ValueTypeRows.h"

namespace orv::script {

const char* CDeclAssembler::operator()(const char* pattern)
{
	Text.clear();
	for (const char* p = pattern; *p; ++p)
	{
		if (*p != '@' || !p[1])
		{
			Text += *p;
			continue;
		}
		switch (*++p)
		{
		case 'T':
			Text += Names.Type;
			break;
		case 'S':
			Text += Names.Scalar;
			break;
		case 'V':
			Text += Names.Vector;
			break;
		case 'D':
			Text += Names.Dimension;
			break;
		default:
			Text += '@';
			Text += *p;
			break;
		}
	}
	return Text.c_str();
}

void registerRows(asIScriptEngine* engine, const SDeclNames& names, const SBehaviourRow* behaviours,
	std::size_t behaviourCount, const SMethodRow* methods, std::size_t methodCount, const SPropertyRow* properties,
	std::size_t propertyCount)
{
	const std::string type(names.Type);
	const bool unsafeReferences = engine->GetEngineProperty(AngelScript::asEP_ALLOW_UNSAFE_REFERENCES) != 0;
	CDeclAssembler decl(names);

	for (std::size_t i = 0; i < behaviourCount; ++i)
		engine->RegisterObjectBehaviour(type.c_str(), behaviours[i].Behaviour, decl(behaviours[i].Declaration),
			behaviours[i].Function, AngelScript::asCALL_CDECL_OBJLAST);

	for (std::size_t i = 0; i < methodCount; ++i)
	{
		if (methods[i].UnsafeOnly && !unsafeReferences)
			continue;
		engine->RegisterObjectMethod(
			type.c_str(), decl(methods[i].Declaration), methods[i].Function, methods[i].CallConv);
	}

	for (std::size_t i = 0; i < propertyCount; ++i)
		engine->RegisterObjectProperty(type.c_str(), decl(properties[i].Declaration), properties[i].Offset);
}

} // namespace orv::script
