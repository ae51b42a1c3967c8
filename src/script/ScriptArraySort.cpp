#include "script/ScriptArraySort.h"

#include "script/ScriptArray.h"
#include "script/bindings/GeometryRegistrar.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace orv::script {

using namespace AngelScript;

namespace {

// A stable bottom-up merge sort of positions, not std::stable_sort: with a
// comparison that answers inconsistently (a script's opCmp may), libstdc++'s
// stable_sort runs past the end of the array. Every loop here is bounded by
// positions alone, so such a comparison gives some order but never reaches
// outside the arrays.
template <typename Less> std::vector<asUINT> sortedOrder(asUINT count, Less&& less)
{
	std::vector<asUINT> order(count);
	for (asUINT i = 0; i < count; ++i)
		order[i] = i;
	std::vector<asUINT> merged(count);
	for (size_t width = 1; width < count; width *= 2)
	{
		for (size_t begin = 0; begin < count; begin += 2 * width)
		{
			const size_t middle = std::min<size_t>(begin + width, count);
			const size_t end = std::min<size_t>(begin + 2 * width, count);
			size_t left = begin;
			size_t right = middle;
			size_t out = begin;
			while (left < middle && right < end)
				merged[out++] = less(order[right], order[left]) ? order[right++] : order[left++];
			while (left < middle)
				merged[out++] = order[left++];
			while (right < end)
				merged[out++] = order[right++];
		}
		order.swap(merged);
	}
	return order;
}

// Puts the elements in the order found; a permutation of the same bytes, so
// handles and object pointers keep their references as they are.
void applyOrder(unsigned char* elements, size_t elementSize, const std::vector<asUINT>& order)
{
	std::vector<unsigned char> sorted(order.size() * elementSize);
	for (size_t i = 0; i < order.size(); ++i)
		std::memcpy(&sorted[i * elementSize], elements + order[i] * elementSize, elementSize);
	std::memcpy(elements, sorted.data(), sorted.size());
}

bool isPrimitive(int typeId)
{
	return (typeId & ~asTYPEID_MASK_SEQNBR) == 0;
}

size_t elementSize(const CScriptArray& array)
{
	return scriptArrayElementBytes(array.GetArrayObjectType()->GetEngine(), array.GetElementTypeId());
}

template <typename T> bool lessValue(const void* a, const void* b)
{
	return *static_cast<const T*>(a) < *static_cast<const T*>(b);
}

typedef bool (*ValueLess)(const void*, const void*);

ValueLess valueLess(int typeId)
{
	switch (typeId)
	{
	case asTYPEID_BOOL:
		return lessValue<bool>;
	case asTYPEID_INT8:
		return lessValue<std::int8_t>;
	case asTYPEID_INT16:
		return lessValue<std::int16_t>;
	case asTYPEID_INT32:
		return lessValue<std::int32_t>;
	case asTYPEID_INT64:
		return lessValue<std::int64_t>;
	case asTYPEID_UINT8:
		return lessValue<std::uint8_t>;
	case asTYPEID_UINT16:
		return lessValue<std::uint16_t>;
	case asTYPEID_UINT32:
		return lessValue<std::uint32_t>;
	case asTYPEID_UINT64:
		return lessValue<std::uint64_t>;
	case asTYPEID_FLOAT:
		return lessValue<float>;
	case asTYPEID_DOUBLE:
		return lessValue<double>;
	default: // enumerations
		return lessValue<std::int32_t>;
	}
}

// The element type's `int opCmp(const T &in)`, or null.
asIScriptFunction* findOpCmp(asITypeInfo* type)
{
	if (!type)
		return nullptr;
	const int valueTypeId = type->GetTypeId();
	for (asUINT i = 0; i < type->GetMethodCount(); ++i)
	{
		asIScriptFunction* method = type->GetMethodByIndex(i);
		if (std::strcmp(method->GetName(), "opCmp") != 0 || method->GetReturnTypeId() != asTYPEID_INT32 ||
			method->GetParamCount() != 1)
			continue;
		int paramTypeId = 0;
		asDWORD flags = 0;
		method->GetParam(0, &paramTypeId, &flags);
		if ((paramTypeId & ~(asTYPEID_OBJHANDLE | asTYPEID_HANDLETOCONST)) == valueTypeId &&
			(flags & asTM_INOUTREF) != 0)
			return method;
	}
	return nullptr;
}

// Script calls made while sorting: nested in the running script's context
// when there is one, so its line callback and budget go on counting.
class CComparisonCalls
{
public:
	explicit CComparisonCalls(asIScriptEngine* engine)
	{
		Context = asGetActiveContext();
		if (Context && Context->GetEngine() == engine && Context->PushState() >= 0)
			Nested = true;
		else
		{
			Context = engine->RequestContext();
			Engine = engine;
		}
	}

	~CComparisonCalls()
	{
		if (Nested)
		{
			Context->PopState();
			// A comparison the budget stopped ends the run that sorts, too.
			if (Aborted)
				Context->Abort();
		}
		else if (Context)
			Engine->ReturnContext(Context);
		// Raised on the caller's run now that its state is back.
		if (!Failure.empty())
			raiseScriptException(Failure.c_str());
	}

	bool failed() const { return Failed; }

	// Prepares `function`; the caller sets the object and arguments.
	asIScriptContext* prepare(asIScriptFunction* function)
	{
		if (Failed || !Context || Context->Prepare(function) < 0)
		{
			Failed = true;
			return nullptr;
		}
		return Context;
	}

	// Runs what was prepared; false once any call did not finish.
	bool run()
	{
		const int state = Context->Execute();
		if (state == asEXECUTION_FINISHED)
			return true;
		Failed = true;
		if (state == asEXECUTION_EXCEPTION)
		{
			const char* message = Context->GetExceptionString();
			Failure = message ? message : "";
		}
		Aborted = state == asEXECUTION_ABORTED;
		return false;
	}

private:
	asIScriptContext* Context = nullptr;
	asIScriptEngine* Engine = nullptr;
	bool Nested = false;
	bool Failed = false;
	bool Aborted = false;
	std::string Failure;
};

// The range to sort, or false with the add-on's exception.
bool checkRange(const CScriptArray& array, asUINT startAt, asUINT count)
{
	const asUINT size = array.GetSize();
	if (startAt >= size || count > size - startAt)
	{
		raiseScriptException("Index out of bounds");
		return false;
	}
	return true;
}

} // namespace

void sortArray(CScriptArray* array, asUINT startAt, asUINT count, bool ascending)
{
	if (count < 2 || !checkRange(*array, startAt, count))
		return;
	// The comparisons are script calls: the buffer stays as it is until they
	// are over (see CScriptArrayInUse).
	const CScriptArrayInUse use(array, true);
	const int typeId = array->GetElementTypeId();
	const size_t size = elementSize(*array);
	unsigned char* elements = static_cast<unsigned char*>(array->GetBuffer()) + startAt * size;

	if (isPrimitive(typeId))
	{
		const ValueLess less = valueLess(typeId);
		const auto at = [&](asUINT i) { return elements + i * size; };
		applyOrder(elements, size, sortedOrder(count, [&](asUINT a, asUINT b) {
			return ascending ? less(at(a), at(b)) : less(at(b), at(a));
		}));
		return;
	}

	asIScriptEngine* engine = array->GetArrayObjectType()->GetEngine();
	asITypeInfo* type = engine->GetTypeInfoById(typeId);
	asIScriptFunction* opCmp = findOpCmp(type);
	if (!opCmp)
	{
		const std::string message = std::string("Type '") + (type ? type->GetName() : "?") +
			"' does not have a matching opCmp method";
		raiseScriptException(message.c_str());
		return;
	}
	void** objects = reinterpret_cast<void**>(elements);
	std::vector<asUINT> order;
	{
		CComparisonCalls calls(engine);
		// Negative when a sorts before b; a null handle before any object.
		const auto compare = [&](void* a, void* b) -> int {
			if (!a || !b)
				return (a ? 1 : 0) - (b ? 1 : 0);
			asIScriptContext* context = calls.prepare(opCmp);
			if (!context)
				return 0;
			context->SetObject(a);
			context->SetArgAddress(0, b);
			return calls.run() ? static_cast<int>(context->GetReturnDWord()) : 0;
		};
		order = sortedOrder(count, [&](asUINT a, asUINT b) {
			return ascending ? compare(objects[a], objects[b]) < 0 : compare(objects[b], objects[a]) < 0;
		});
		if (calls.failed())
			return;
	}
	applyOrder(elements, size, order);
}

void sortArrayWith(CScriptArray* array, asIScriptFunction* less, asUINT startAt, asUINT count)
{
	if (!less)
	{
		raiseScriptException("Null pointer access");
		return;
	}
	const asUINT size = array->GetSize();
	if (startAt >= size)
		return;
	count = std::min(count, size - startAt);
	if (count < 2)
		return;
	const CScriptArrayInUse use(array, true);
	const bool byValue = isPrimitive(array->GetElementTypeId()) ||
		(array->GetElementTypeId() & asTYPEID_OBJHANDLE) != 0;
	const size_t bytes = elementSize(*array);
	unsigned char* elements = static_cast<unsigned char*>(array->GetBuffer()) + startAt * bytes;
	// `const T &in`: the element itself, or for an object the object it points to.
	const auto argument = [&](asUINT i) -> void* {
		void* slot = elements + i * bytes;
		return byValue ? slot : *static_cast<void**>(slot);
	};
	std::vector<asUINT> order;
	{
		CComparisonCalls calls(array->GetArrayObjectType()->GetEngine());
		order = sortedOrder(count, [&](asUINT a, asUINT b) {
			asIScriptContext* context = calls.prepare(less);
			if (!context)
				return false;
			context->SetArgAddress(0, argument(a));
			context->SetArgAddress(1, argument(b));
			return calls.run() && context->GetReturnByte() != 0;
		});
		if (calls.failed())
			return;
	}
	applyOrder(elements, bytes, order);
}

} // namespace orv::script
