// Script deliveries under libFuzzer: a small world of three objects whose
// scripts come from the input (split at zero bytes), run through a few
// frames. Scripts may deliver events to any object at once (`deliverTo`),
// nest deliveries in one another, spin, throw and get aborted by budgets
// kept small. One script host serves every input; each input's world is
// its own and leaves nothing behind.

#include "FuzzScriptHost.h"

#include "base/packet.h"
#include "script/CScriptModule.h"
#include "script/SScriptBinding.h"
#include "script/ScriptCallbacks.h"
#include "world/CSceneObject.h"

#include <angelscript.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace {

using namespace orv;

const irr::u32 OBJECTS = 3;
const int FRAMES = 4;

void deliverTo(irr::u32 id, const irr::core::ustring16& event)
{
	CSceneObject* target = CObjectManager::getInstance()->getSceneObject(id);
	if (!target || !target->getBinding())
		return;
	target->grab();
	net::packet arguments = net::packet::fromU32(id);
	arguments.append(net::packet::fromFloat(0.0f)).append(net::packet::fromFloat(0.0f));
	arguments.append(net::packet::fromFloat(0.0f));
	arguments.append(net::packet::fromString(event)).append(net::packet::fromString(irr::core::ustring16()));
	target->getBinding()->callCallback(script::ESC_EVENT, std::move(arguments), target);
	target->drop();
}

void addDeliverTo(AngelScript::asIScriptEngine* engine)
{
	engine->RegisterGlobalFunction(
		"void deliverTo(uint, const string &in)", AngelScript::asFUNCTION(deliverTo), AngelScript::asCALL_CDECL);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
	static fuzz::CFuzzScriptHost host(addDeliverTo);
	script::CScriptManager& scripts = host.scripts();
	host.beginInput(20, 20);
	CObjectManager::getInstance()->getObjectClass(&scripts, "blank");

	std::vector<std::string> codes(1);
	for (std::size_t i = 0; i < size; ++i)
	{
		if (data[i] == 0 && codes.size() < OBJECTS)
			codes.emplace_back();
		else if (data[i] != 0)
			codes.back() += static_cast<char>(data[i]);
	}
	std::vector<CSceneObject*> objects;
	for (irr::u32 id = 1; id <= OBJECTS; ++id)
	{
		CSceneObject* object = CObjectManager::getInstance()->createSceneObject(id, 0, "");
		object->grab();
		objects.push_back(object);
		object->getModule()->load(irr::core::ustring16(codes[(id - 1) % codes.size()].c_str()), "main");
	}
	for (int frame = 0; frame < FRAMES; ++frame)
	{
		scripts.beginFrame();
		for (CSceneObject* object : objects)
			object->getBinding()->callCallback(script::ESC_UPDATE, net::packet::fromU32(16), object);
		deliverTo(1 + static_cast<irr::u32>(frame) % OBJECTS, "tick");
		scripts.endFrame();
	}
	for (CSceneObject* object : objects)
		object->drop();
	host.endInput();
	return 0;
}
