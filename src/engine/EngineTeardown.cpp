#include "engine/EngineTeardown.h"

#include "engine/CGameEngine.h"
#include "engine/CLevelLoader.h"

namespace orv {

void tearDownSingletons()
{
	CLevelLoader::destroyInstance();
	CGameEngine::destroyInstance();
}

} // namespace orv
