#include "support/script_cases.h"
#include "support/script_runner.h"

#include "script/CScriptManager.h"

#include <angelscript.h>
#include <gtest/gtest.h>

#include <string>

namespace {

using namespace AngelScript;
using orv::test::runScriptCases;
using orv::test::runScriptExceptionCases;
using orv::test::SScriptCase;
using orv::test::SScriptExceptionCase;

const SScriptCase ConstructionCases[] = {
	{"a default matrix is the identity", R"(
		matrix4 m;
		for (uint i = 0; i < 16; ++i)
			check(m[i] == ((i % 5 == 0) ? 1.0f : 0.0f), "identity element");
	)"},
	{"kinds that Irrlicht leaves unset start as zeros", R"(
		matrix4 m;
		m[3] = 7;
		array<matrix4> unset = {
			matrix4(EM4CONST_NOTHING), matrix4(EM4CONST_COPY),
			matrix4(m, EM4CONST_NOTHING), matrix4(m, matrix4_eConstructor(99)), matrix4(m, matrix4_eConstructor(-1))
		};
		for (uint i = 0; i < unset.length(); ++i)
			for (uint e = 0; e < 16; ++e)
				check(unset[i][e] == 0, "zero element");
	)"},
	{"kinds that build from another matrix", R"(
		matrix4 t;
		t.setTranslation(vector3df(1, 2, 3));
		matrix4 copy(t, EM4CONST_COPY);
		check(copy == t && matrix4(t) == t, "copies");
		check(matrix4(t, EM4CONST_IDENTITY) == matrix4() && matrix4(EM4CONST_IDENTITY) == matrix4(), "identity");
		check(matrix4(EM4CONST_INVERSE) == matrix4(), "inverse of nothing is the identity");
		check(matrix4(matrix4_eConstructor(99)) == matrix4(), "unknown kind alone is the identity");
		matrix4 tr(t, EM4CONST_TRANSPOSED);
		check(tr[3] == 1 && tr[7] == 2 && tr[11] == 3 && tr[12] == 0, "transposed");
		matrix4 inv(t, EM4CONST_INVERSE);
		check(at(inv.getTranslation(), -1, -2, -3), "inverse");
		matrix4 invTr(t, EM4CONST_INVERSE_TRANSPOSED);
		check(invTr[3] == -1 && invTr[7] == -2 && invTr[11] == -3, "inverse transposed");
	)"},
	{"inverting a matrix without an inverse gives zeros", R"(
		matrix4 zero = matrix4() - matrix4();
		matrix4 inv(zero, EM4CONST_INVERSE);
		matrix4 invTr(zero, EM4CONST_INVERSE_TRANSPOSED);
		for (uint e = 0; e < 16; ++e)
			check(inv[e] == 0 && invTr[e] == 0, "zero element");
	)"},
};

const SScriptCase OperatorCases[] = {
	{"sums, differences and assignment are element-wise", R"(
		matrix4 a; matrix4 b;
		b.setTranslation(vector3df(1, 2, 3));
		matrix4 s = a + b;
		check(s[0] == 2 && s[12] == 1 && s[14] == 3, "sum");
		matrix4 d = s - b;
		check(d == a, "difference");
		matrix4 c;
		c = b;
		c += b;
		check(c[13] == 4 && c[0] == 2, "opAddAssign");
		c -= b;
		check(c == b + matrix4() - matrix4(), "opSubAssign");
	)"},
	{"products compose transforms", R"(
		matrix4 t; t.setTranslation(vector3df(1, 2, 3));
		matrix4 s; s.setScale(2);
		check(t * matrix4() == t && matrix4() * t == t, "identity");
		matrix4 ts = t * s;
		vector3df res;
		ts.transformVect(res, vector3df(1, 1, 1));
		check(at(res, 3, 4, 5), "scale then translate");
		matrix4 m = t;
		m *= s;
		check(m == ts, "opMulAssign");
	)"},
	{"opEquals is exact; equals takes a tolerance", R"(
		matrix4 a; matrix4 b;
		b[5] = 1.0001f;
		check(!(a == b), "exact");
		check(a.equals(b, 0.001f) && !a.equals(b, 0.00001f), "tolerance");
		check(!a.equals(b) && a.equals(matrix4()), "default tolerance");
		matrix4 n;
		n[0] = sqrt(-1.0f);
		check(!(n == n), "not a number");
	)"},
	{"indexing reads and writes in place", R"(
		matrix4 m;
		m[15] = 4;
		check(m[15] == 4, "last element");
		const matrix4 c = m;
		check(c[15] == 4 && c[0] == 1, "read-only access");
	)"},
};

const SScriptExceptionCase IndexCases[] = {
	{"matrix4 m; m[16] = 1;", "Out of range"},
	{"const matrix4 m; float f = m[16];", "Out of range"},
	{"matrix4 m; float f = m[uint(-1)];", "Out of range"},
};

const SScriptCase MemberCases[] = {
	{"setScale of a number keeps the translation", R"(
		matrix4 m;
		m.setTranslation(vector3df(4, 5, 6));
		m.setScale(2);
		check(m[0] == 2 && m[5] == 2 && m[10] == 2 && m[15] == 1, "diagonal");
		check(at(m.getTranslation(), 4, 5, 6) && at(m.getScale(), 2, 2, 2), "translation, scale");
		m.setScale(vector3df(1, 3, 5));
		check(m[0] == 1 && m[5] == 3 && m[10] == 5, "vector");
	)"},
	{"the identity flag is never kept", R"(
		matrix4 m;
		m.makeIndentity();
		m.setDefinitelyIdentityMatrix(true);
		check(!m.getDefinitelyIdentityMatrix(), "flag");
		check(m.isIdentity() && m.isIdentity_integer_base() && m.isOrthogonal(), "still the identity");
	)"},
	{"inverses report whether they exist", R"(
		matrix4 t; t.setTranslation(vector3df(1, 2, 3));
		matrix4 inv;
		check(t.getInverse(inv) && at(inv.getTranslation(), -1, -2, -3), "getInverse");
		check(t.getInversePrimitive(inv) && at(inv.getTranslation(), -1, -2, -3), "getInversePrimitive");
		matrix4 zero = matrix4() - matrix4();
		check(!zero.getInverse(inv) && !zero.makeInverse(), "singular");
		check(t.makeInverse() && at(t.getTranslation(), -1, -2, -3), "makeInverse");
	)"},
	{"rotations and vectors", R"(
		matrix4 r;
		r.setRotationDegrees(vector3df(0, 0, 90));
		vector3df res;
		r.rotateVect(res, vector3df(1, 0, 0));
		check(at(res, 0, 1, 0), "rotated");
		check(at(r.getRotationDegrees(), 0, 0, 90), "degrees back");
		matrix4 i;
		i.setInverseRotationDegrees(vector3df(0, 0, 90));
		check((r * i).equals(matrix4(), 0.0001f), "inverse rotation");
		matrix4 t = r.getTransposed();
		matrix4 t2;
		r.getTransposed(t2);
		check(t == t2 && t.equals(i, 0.0001f), "transposed");
	)"},
	{"interpolation is element-wise", R"(
		matrix4 a;
		matrix4 b; b.setTranslation(vector3df(2, 4, 6));
		check(at(a.interpolate(b, 0.5f).getTranslation(), 1, 2, 3), "half");
	)"},
	{"texture transforms touch their own elements", R"(
		matrix4 m;
		m.setTextureTranslate(0.25f, 0.5f);
		check(m[8] == 0.25f && m[9] == 0.5f, "translate");
		m.setTextureScale(2, 3);
		check(m[0] == 2 && m[5] == 3, "scale");
	)"},
	{"builders return the matrix", R"(
		matrix4 m;
		matrix4 r = m.buildProjectionMatrixOrthoLH(2, 2, 0, 1);
		check(r == m && m[0] == 1 && m[5] == 1, "ortho");
		m.buildCameraLookAtMatrixLH(vector3df(0, 0, -1), vector3df(0, 0, 0), vector3df(0, 1, 0));
		vector3df res;
		m.transformVect(res, vector3df(0, 0, 0));
		check(at(res, 0, 0, 1), "look at");
		m.buildNDCToDCMatrix(recti(0, 0, 640, 480), 1);
		check(m[12] != 0, "viewport");
		m.setbyproduct(matrix4(), matrix4());
		check(m.isIdentity(), "product");
	)"},
};

TEST(ScriptMatrix4, Construction)
{
	runScriptCases(ConstructionCases);
}
TEST(ScriptMatrix4, Operators)
{
	runScriptCases(OperatorCases);
}
TEST(ScriptMatrix4, IndexPastTheEndRaises)
{
	runScriptExceptionCases(IndexCases);
}
TEST(ScriptMatrix4, Members)
{
	runScriptCases(MemberCases);
}

void countMessage(const asSMessageInfo*, void* count)
{
	++*static_cast<int*>(count);
}

TEST(ScriptMatrix4, InOutMembersNeedUnsafeReferences)
{
	orv::test::CScriptRunner runner;
	EXPECT_TRUE(runner.buildFails("void main() { matrix4 m; vector3df v; m.transformVect(v); }"));
	EXPECT_TRUE(runner.build("void main() { matrix4 m; vector3df v; m.transformVect(v, vector3df(1, 2, 3)); }"));

	const char* const inOut[] = {
		"void inverseRotateVect(vector3df &inout) const",
		"void inverseTranslateVect(vector3df &inout) const",
		"void rotateVect(vector3df &inout) const",
		"void transformBox(aabbox3df &inout) const",
		"void transformBoxEx(aabbox3df &inout) const",
		"void transformVect(vector3df &inout) const",
		"void translateVect(vector3df &inout) const",
	};
	asIScriptEngine* unsafe = asCreateScriptEngine();
	int messages = 0;
	unsafe->SetMessageCallback(asFUNCTION(countMessage), &messages, asCALL_CDECL);
	unsafe->SetEngineProperty(asEP_ALLOW_UNSAFE_REFERENCES, 1);
	orv::script::registerAddOnsAndValueTypes(unsafe);
	EXPECT_EQ(messages, 0);
	const asITypeInfo* safeType = runner.engine()->GetTypeInfoByName("matrix4");
	const asITypeInfo* unsafeType = unsafe->GetTypeInfoByName("matrix4");
	for (const char* declaration : inOut)
	{
		EXPECT_EQ(safeType->GetMethodByDecl(declaration), nullptr) << declaration;
		EXPECT_NE(unsafeType->GetMethodByDecl(declaration), nullptr) << declaration;
	}
	unsafe->ShutDownAndRelease();
}

} // namespace
