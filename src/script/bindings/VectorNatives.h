#pragma once
// The plain-function side of the 2D and 3D vector bindings: constructors,
// value-returning operators, comparison, and the integer divisions that must
// raise a script exception instead of trapping.

#include "script/bindings/GeometryRegistrar.h"

#include <vector2d.h>
#include <vector3d.h>

#include <new>

namespace orv::script {

template <class T>
bool checkComponentDivision(const irr::core::vector2d<T> &a, const irr::core::vector2d<T> &divisor)
{
	return checkDivision(a.X, divisor.X) && checkDivision(a.Y, divisor.Y);
}

template <class T>
bool checkComponentDivision(const irr::core::vector3d<T> &a, const irr::core::vector3d<T> &divisor)
{
	return checkDivision(a.X, divisor.X) && checkDivision(a.Y, divisor.Y) && checkDivision(a.Z, divisor.Z);
}

template <class V>
struct SVectorNatives
{
	using T = decltype(V::X);

	static void construct(void *memory)
	{
		if (memory)
			new (memory) V();
	}
	static void constructCopy(const V &other, void *memory)
	{
		if (memory)
			new (memory) V(other);
	}
	static void constructScalar(T n, void *memory)
	{
		if (memory)
			new (memory) V(n);
	}

	static V mul(const V &a, const V &b) { return a * b; }
	static V mulScalar(const V &a, const T &s) { return a * s; }
	static V add(const V &a, const V &b) { return a + b; }
	static V addScalar(const V &a, const T &s) { return a + s; }
	static V sub(const V &a, const V &b) { return a - b; }
	static V subScalar(const V &a, const T &s) { return a - s; }
	static V div(const V &a, const V &b) { return checkComponentDivision(a, b) ? a / b : a; }
	// Irrlicht's own scalar division: the 3D float form multiplies by the
	// reciprocal, the 2D float form divides, the integer forms divide.
	static V divScalar(const V &a, const T &s) { return checkComponentDivision(a, V(s)) ? a / s : a; }

	// Integer compound divisions check every component before changing any.
	static V &divAssign(V &a, const V &b)
	{
		if (checkComponentDivision(a, b))
			a /= b;
		return a;
	}
	static V &divAssignScalar(V &a, T s)
	{
		if (checkComponentDivision(a, V(s)))
			a /= s;
		return a;
	}

	static bool equals(const V &a, const V &b) { return a.equals(b); }
	static int compare(const V &a, const V &b) { return a < b ? -1 : (b < a ? 1 : 0); }
};

} // namespace orv::script
