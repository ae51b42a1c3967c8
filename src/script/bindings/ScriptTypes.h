#pragma once
// Entry of the value-type bindings: every name scripts see for Irrlicht's
// scalars, constants, enums and value types, and the registrar of each type.

namespace AngelScript {
class asIScriptEngine;
}

namespace orv::script {

using AngelScript::asIScriptEngine;

// Makes every name known (typedefs, constants, value types, enums) before any
// member is registered, so a member may name any value type.
void declareMathTypes(asIScriptEngine* engine);

// Registers the members of every value type, one registrar per type.
void registerMathTypes(asIScriptEngine* engine);

// The object type "string". Lives with the string bindings because only they
// know the native text type; declareMathTypes calls it first.
void declareStringType(asIScriptEngine* engine);

// Declares the enum "matrix4_eConstructor" and the value type "matrix4".
void registerMatrix4Type(asIScriptEngine* engine);

// Enums; E_LIGHT_TYPE is registered in place by declareMathTypes.
void registerCullingTypeEnum(asIScriptEngine* engine);
void registerKeyCodeEnum(asIScriptEngine* engine);
void registerMouseInputEventEnum(asIScriptEngine* engine);
void registerMaterialFlagEnum(asIScriptEngine* engine);
void registerMaterialTypeEnum(asIScriptEngine* engine);
void registerGuiAlignmentEnum(asIScriptEngine* engine);

// Type registrars, in the order registerMathTypes runs them.
void registerString(asIScriptEngine* engine);
void registerDimension2df(asIScriptEngine* engine);
void registerDimension2di(asIScriptEngine* engine);
void registerSColor(asIScriptEngine* engine);
void registerVector2df(asIScriptEngine* engine);
void registerVector2di(asIScriptEngine* engine);
void registerVector3df(asIScriptEngine* engine);
void registerVector3di(asIScriptEngine* engine);
void registerLine2df(asIScriptEngine* engine);
void registerLine2di(asIScriptEngine* engine);
void registerLine3df(asIScriptEngine* engine);
void registerLine3di(asIScriptEngine* engine);
void registerAabbox3d(asIScriptEngine* engine); // both box types and their line test
void registerRectf(asIScriptEngine* engine);
void registerRecti(asIScriptEngine* engine);
void registerMatrix4(asIScriptEngine* engine);

} // namespace orv::script
