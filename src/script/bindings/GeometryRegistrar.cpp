#include "script/bindings/GeometryRegistrar.h"

#include <climits>

namespace orv::script {

namespace {

std::string companionName(std::string_view base, std::string_view scalarName)
{
	if (scalarName == "f32")
		return std::string(base) + "f";
	if (scalarName == "s32")
		return std::string(base) + "i";
	return std::string();
}

} // namespace

std::string getVector2dTypeName(std::string_view scalarName)
{
	return companionName("vector2d", scalarName);
}
std::string getVector3dTypeName(std::string_view scalarName)
{
	return companionName("vector3d", scalarName);
}
std::string getDimension2dTypeName(std::string_view scalarName)
{
	return companionName("dimension2d", scalarName);
}

void destroyValue(void*)
{
}

void raiseScriptException(const char* message)
{
	if (AngelScript::asIScriptContext* context = AngelScript::asGetActiveContext())
		context->SetException(message);
}

bool checkDivision(irr::s32 numerator, irr::s32 divisor)
{
	if (divisor == 0)
	{
		raiseScriptException("Divide by zero");
		return false;
	}
	if (numerator == INT_MIN && divisor == -1)
	{
		raiseScriptException("Overflow");
		return false;
	}
	return true;
}

} // namespace orv::script
