#include "world/ContactCallbacks.h"

#include "script/CScriptModule.h"
#include "script/SScriptBinding.h"
#include "script/ScriptCallbacks.h"
#include "world/CSceneObject.h"
#include "world/ContactArguments.h"

namespace orv {

namespace {

const irr::s32 NO_FUNCTION = -6;

// A script may let its own object go from inside the callback; the object
// stays alive until the call is over.
class CHeld
{
public:
	explicit CHeld(CSceneObject* object) : Object(object) { Object->grab(); }
	~CHeld() { Object->drop(); }
	CHeld(const CHeld&) = delete;
	CHeld& operator=(const CHeld&) = delete;

private:
	CSceneObject* Object;
};

void callContact(irr::u32 callback, CSceneObject* object, CSceneObject* other)
{
	if (!object || !object->getBinding())
		return;
	CHeld held(object);
	object->getBinding()->callCallback(callback, makeContactArguments(other ? other->getId() : 0), object);
}

b2Vec2 valueOr0(const b2Vec2* v)
{
	return v ? *v : b2Vec2(0.0f, 0.0f);
}

} // namespace

void onBeginContact(CSceneObject* object, CSceneObject* other)
{
	callContact(script::ESC_BEGIN_CONTACT, object, other);
}

void onEndContact(CSceneObject* object, CSceneObject* other)
{
	callContact(script::ESC_END_CONTACT, object, other);
}

bool onSolveContact(
	CSceneObject* object, CSceneObject* other, const b2Vec2* normal, const b2Vec2* selfPoint, const b2Vec2* otherPoint)
{
	if (!object || !object->getBinding() || !object->getModule() ||
		object->getModule()->getCallbackId(script::ESC_SOLVE_CONTACT) == NO_FUNCTION)
		return true;
	CHeld held(object);
	net::packet arguments = makeSolveContactArguments(
		other ? other->getId() : 0, valueOr0(normal), valueOr0(selfPoint), valueOr0(otherPoint));
	return object->getBinding()->callOnSolveContact(arguments, object);
}

} // namespace orv
