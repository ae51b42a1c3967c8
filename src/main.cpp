#include "engine/CGameEngine.h"
#include "engine/EngineTeardown.h"

int main()
{
	orv::CGameEngine* engine = nullptr;
	try {
		engine = orv::CGameEngine::getInstance();
		if (!engine || !engine->init())
			return 1;
	} catch (...) {
		return 1;
	}

	engine->getDevice()->setWindowCaption(L"Orv Client");
	while (engine->update()) {
		engine->render();
		engine->getDevice()->yield();
	}

	orv::tearDownSingletons();
	return 0;
}
