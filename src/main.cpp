#include <cstdio>

#include "engine/CGameEngine.h"
#include "engine/EngineTeardown.h"

int main()
{
	// The console is the client's diagnostics: into a file or a pipe too,
	// each line goes out when it is complete, not when the program ends.
	std::setvbuf(stdout, nullptr, _IOLBF, BUFSIZ);

	orv::CGameEngine* engine = nullptr;
	try
	{
		engine = orv::CGameEngine::getInstance();
		if (!engine || !engine->init())
			return 1;
	}
	catch (...)
	{
		return 1;
	}

	engine->getDevice()->setWindowCaption(L"Orv Client");
	while (engine->update())
	{
		engine->render();
		engine->getDevice()->yield();
	}

	orv::tearDownSingletons();
	return 0;
}
