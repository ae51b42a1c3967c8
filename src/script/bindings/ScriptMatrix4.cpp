#include "script/bindings/ScriptTypes.h"
#include "script/bindings/ValueTypeRows.h"

#include <irrlicht.h>

#include <new>

namespace orv::script {

namespace {

using namespace AngelScript;
using irr::f32;
using irr::u32;
using irr::core::aabbox3d;
using irr::core::rect;
using irr::core::vector2df;
using irr::core::vector3df;

using M = irr::core::CMatrix4<f32>;

static_assert(sizeof(M) == 16 * sizeof(f32), "the script matrix is its sixteen elements");

// Kinds arrive from scripts as any int, so they are compared, never cast back
// to the enum. A matrix that Irrlicht would leave unset starts as zeros.
M* zeroMatrix(void* memory)
{
	M* matrix = new (memory) M(M::EM4CONST_NOTHING);
	*matrix = 0.f;
	return matrix;
}

void constructMatrix4Kind(int kind, void* memory)
{
	if (!memory)
		return;
	M* matrix = zeroMatrix(memory);
	if (kind != M::EM4CONST_NOTHING && kind != M::EM4CONST_COPY)
		matrix->makeIdentity();
}

void constructMatrix4FromMatrix(const M& other, int kind, void* memory)
{
	if (!memory)
		return;
	M* matrix = zeroMatrix(memory);
	switch (kind)
	{
	case M::EM4CONST_COPY:
	case M::EM4CONST_IDENTITY:
	case M::EM4CONST_TRANSPOSED:
	case M::EM4CONST_INVERSE:
	case M::EM4CONST_INVERSE_TRANSPOSED:
		new (matrix) M(other, static_cast<M::eConstructor>(kind));
		break;
	default:
		break;
	}
}

bool equalsMatrix4(const M& matrix, const M& other)
{
	for (u32 i = 0; i < 16; ++i)
		if (!(matrix[i] == other[i]))
			return false;
	return true;
}

// Declared to return a reference; a null one is never read, because the
// exception ends the script call first.
f32* indexMatrix4(u32 index, M* matrix)
{
	if (index >= 16)
	{
		raiseScriptException("Out of range");
		return nullptr;
	}
	return &(*matrix)[index];
}

bool equalsWithDefaultTolerance(const M& other, const M* matrix)
{
	return matrix->equals(other);
}

} // namespace

void registerMatrix4Type(asIScriptEngine* engine)
{
	engine->RegisterEnum("matrix4_eConstructor");
	engine->RegisterEnumValue("matrix4_eConstructor", "EM4CONST_NOTHING", M::EM4CONST_NOTHING);
	engine->RegisterEnumValue("matrix4_eConstructor", "EM4CONST_COPY", M::EM4CONST_COPY);
	engine->RegisterEnumValue("matrix4_eConstructor", "EM4CONST_IDENTITY", M::EM4CONST_IDENTITY);
	engine->RegisterEnumValue("matrix4_eConstructor", "EM4CONST_TRANSPOSED", M::EM4CONST_TRANSPOSED);
	engine->RegisterEnumValue("matrix4_eConstructor", "EM4CONST_INVERSE", M::EM4CONST_INVERSE);
	engine->RegisterEnumValue("matrix4_eConstructor", "EM4CONST_INVERSE_TRANSPOSED", M::EM4CONST_INVERSE_TRANSPOSED);
	engine->RegisterObjectType("matrix4", sizeof(M), valueTypeFlags<M, f32>(EVC_OWN_ASSIGN));
}

void registerMatrix4(asIScriptEngine* engine)
{
	const std::string vectorName = getVector3dTypeName("f32");
	const SDeclNames names{"matrix4", "f32", vectorName, {}};

	const SBehaviourRow behaviours[] = {
		{asBEHAVE_CONSTRUCT, "void f()", asFUNCTION(constructValue<M>)},
		{asBEHAVE_CONSTRUCT, "void f(matrix4_eConstructor)", asFUNCTION(constructMatrix4Kind)},
		{asBEHAVE_CONSTRUCT, "void f(const @T &in)", asFUNCTION((constructValue<M, const M&>))},
		{asBEHAVE_CONSTRUCT, "void f(const @T &in, matrix4_eConstructor)", asFUNCTION(constructMatrix4FromMatrix)},
		{asBEHAVE_DESTRUCT, "void f()", asFUNCTION(destroyValue)},
	};

	// Irrlicht marks the quick box transform deprecated; scripts keep it.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
	const asSFuncPtr transformBoxMember = asMETHOD(M, transformBox);
#pragma GCC diagnostic pop

	const bool unsafeOnly = true;
	const SMethodRow methods[] = {
		{"@T& opAssign(const @T &in)", asMETHODPR(M, operator=, (const M&), M&), asCALL_THISCALL},
		{"@T opMul(const @T &in) const", asFUNCTION(multiplyValues<M>), asCALL_CDECL_OBJFIRST},
		{"@T& opMulAssign(const @T &in)", asMETHODPR(M, operator*=, (const M&), M&), asCALL_THISCALL},
		{"@T opAdd(const @T &in) const", asFUNCTION(addValues<M>), asCALL_CDECL_OBJFIRST},
		{"@T& opAddAssign(const @T &in)", asMETHODPR(M, operator+=, (const M&), M&), asCALL_THISCALL},
		{"@T opSub(const @T &in) const", asFUNCTION(subtractValues<M>), asCALL_CDECL_OBJFIRST},
		{"@T& opSubAssign(const @T &in)", asMETHODPR(M, operator-=, (const M&), M&), asCALL_THISCALL},
		{"bool opEquals(const @T &in) const", asFUNCTION(equalsMatrix4), asCALL_CDECL_OBJFIRST},
		{"const @S& opIndex(u32) const", asFUNCTION(indexMatrix4), asCALL_CDECL_OBJLAST},
		{"@S& opIndex(u32)", asFUNCTION(indexMatrix4), asCALL_CDECL_OBJLAST},
		{"void buildAxisAlignedBillboard(const @V &in, const @V &in, const @V &in, const @V &in, const @V &in)",
			asMETHOD(M, buildAxisAlignedBillboard), asCALL_THISCALL},
		{"@T& buildCameraLookAtMatrixLH(const @V &in, const @V &in, const @V &in)",
			asMETHOD(M, buildCameraLookAtMatrixLH), asCALL_THISCALL},
		{"@T& buildCameraLookAtMatrixRH(const @V &in, const @V &in, const @V &in)",
			asMETHOD(M, buildCameraLookAtMatrixRH), asCALL_THISCALL},
		{"@T& buildNDCToDCMatrix(const recti &in, @S)", asMETHOD(M, buildNDCToDCMatrix), asCALL_THISCALL},
		{"@T& buildProjectionMatrixPerspectiveFovLH(@S, @S, @S, @S)",
			asMETHOD(M, buildProjectionMatrixPerspectiveFovLH), asCALL_THISCALL},
		{"@T& buildProjectionMatrixPerspectiveFovRH(@S, @S, @S, @S)",
			asMETHOD(M, buildProjectionMatrixPerspectiveFovRH), asCALL_THISCALL},
		{"@T& buildProjectionMatrixPerspectiveLH(@S, @S, @S, @S)", asMETHOD(M, buildProjectionMatrixPerspectiveLH),
			asCALL_THISCALL},
		{"@T& buildProjectionMatrixPerspectiveRH(@S, @S, @S, @S)", asMETHOD(M, buildProjectionMatrixPerspectiveRH),
			asCALL_THISCALL},
		{"@T& buildProjectionMatrixOrthoLH(@S, @S, @S, @S)", asMETHOD(M, buildProjectionMatrixOrthoLH),
			asCALL_THISCALL},
		{"@T& buildProjectionMatrixOrthoRH(@S, @S, @S, @S)", asMETHOD(M, buildProjectionMatrixOrthoRH),
			asCALL_THISCALL},
		{"@T& buildRotateFromTo(const @V &in, const @V &in)", asMETHOD(M, buildRotateFromTo), asCALL_THISCALL},
		{"@T& buildTextureTransform(@S, const vector2df &in, const vector2df &in, const vector2df &in)",
			asMETHOD(M, buildTextureTransform), asCALL_THISCALL},
		{"bool equals(const @T &in) const", asFUNCTION(equalsWithDefaultTolerance), asCALL_CDECL_OBJLAST},
		{"bool equals(const @T &in, const @S) const", asMETHOD(M, equals), asCALL_THISCALL},
		{"bool getDefinitelyIdentityMatrix() const", asMETHOD(M, getDefinitelyIdentityMatrix), asCALL_THISCALL},
		{"bool getInverse(const @T &out) const", asMETHOD(M, getInverse), asCALL_THISCALL},
		{"bool getInversePrimitive(const @T &out) const", asMETHOD(M, getInversePrimitive), asCALL_THISCALL},
		{"@V getRotationDegrees() const", asMETHOD(M, getRotationDegrees), asCALL_THISCALL},
		{"@V getScale() const", asMETHOD(M, getScale), asCALL_THISCALL},
		{"@V getTranslation() const", asMETHOD(M, getTranslation), asCALL_THISCALL},
		{"@T getTransposed() const", asMETHODPR(M, getTransposed, () const, M), asCALL_THISCALL},
		{"void getTransposed(@T &out) const", asMETHODPR(M, getTransposed, (M&) const, void), asCALL_THISCALL},
		{"@T interpolate(const @T &in, @S) const", asMETHOD(M, interpolate), asCALL_THISCALL},
		{"void inverseRotateVect(@V &inout) const", asMETHOD(M, inverseRotateVect), asCALL_THISCALL, unsafeOnly},
		{"void inverseTranslateVect(@V &inout) const", asMETHOD(M, inverseTranslateVect), asCALL_THISCALL, unsafeOnly},
		{"bool isIdentity() const", asMETHOD(M, isIdentity), asCALL_THISCALL},
		{"bool isIdentity_integer_base() const", asMETHOD(M, isIdentity_integer_base), asCALL_THISCALL},
		{"bool isOrthogonal() const", asMETHOD(M, isOrthogonal), asCALL_THISCALL},
		{"@T& makeIndentity()", asMETHOD(M, makeIdentity), asCALL_THISCALL},
		{"bool makeInverse()", asMETHOD(M, makeInverse), asCALL_THISCALL},
		{"void rotateVect(@V &inout) const", asMETHODPR(M, rotateVect, (vector3df&) const, void), asCALL_THISCALL,
			unsafeOnly},
		{"void rotateVect(@V &out, const @V &in) const",
			asMETHODPR(M, rotateVect, (vector3df&, const vector3df&) const, void), asCALL_THISCALL},
		{"@T& setbyproduct(const @T &in, const @T &in)", asMETHOD(M, setbyproduct), asCALL_THISCALL},
		{"@T& setbyproduct_nocheck(const @T &in, const @T &in)", asMETHOD(M, setbyproduct_nocheck), asCALL_THISCALL},
		{"void setDefinitelyIdentityMatrix(bool)", asMETHOD(M, setDefinitelyIdentityMatrix), asCALL_THISCALL},
		{"@T& setInverseRotationDegrees(const @V &in)", asMETHOD(M, setInverseRotationDegrees), asCALL_THISCALL},
		{"@T& setInverseRotationRadians(const @V &in)", asMETHOD(M, setInverseRotationRadians), asCALL_THISCALL},
		{"@T& setInverseTranslation(const @V &in)", asMETHOD(M, setInverseTranslation), asCALL_THISCALL},
		{"void setRotationCenter(const @V &in, const @V &in)", asMETHOD(M, setRotationCenter), asCALL_THISCALL},
		{"@T& setRotationDegrees(const @V &in)", asMETHOD(M, setRotationDegrees), asCALL_THISCALL},
		{"@T& setRotationRadians(const @V &in)", asMETHOD(M, setRotationRadians), asCALL_THISCALL},
		{"@T& setScale(const @V &in)", asMETHODPR(M, setScale, (const vector3df&), M&), asCALL_THISCALL},
		{"@T& setScale(const @S)", asMETHODPR(M, setScale, (const f32), M&), asCALL_THISCALL},
		{"@T& setTextureRotationCenter(@S)", asMETHOD(M, setTextureRotationCenter), asCALL_THISCALL},
		{"@T& setTextureScale(@S, @S)", asMETHOD(M, setTextureScale), asCALL_THISCALL},
		{"@T& setTextureScaleCenter(@S, @S)", asMETHOD(M, setTextureScaleCenter), asCALL_THISCALL},
		{"@T& setTextureTranslate(@S, @S)", asMETHOD(M, setTextureTranslate), asCALL_THISCALL},
		{"@T& setTextureTranslateTransposed(@S, @S)", asMETHOD(M, setTextureTranslateTransposed), asCALL_THISCALL},
		{"@T& setTranslation(const @V &in)", asMETHOD(M, setTranslation), asCALL_THISCALL},
		{"void transformBox(aabbox3df &inout) const", transformBoxMember, asCALL_THISCALL, unsafeOnly},
		{"void transformBoxEx(aabbox3df &inout) const", asMETHOD(M, transformBoxEx), asCALL_THISCALL, unsafeOnly},
		{"void transformVect(@V &inout) const", asMETHODPR(M, transformVect, (vector3df&) const, void), asCALL_THISCALL,
			unsafeOnly},
		{"void transformVect(@V &out, const @V &in) const",
			asMETHODPR(M, transformVect, (vector3df&, const vector3df&) const, void), asCALL_THISCALL},
		{"void translateVect(@V &inout) const", asMETHOD(M, translateVect), asCALL_THISCALL, unsafeOnly},
	};

	registerRows(engine, names, behaviours, methods);
}

} // namespace orv::script
