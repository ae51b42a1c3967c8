#include "level/CLevelLoader.h"

#include <new>

namespace orv {

namespace {
CLevelLoader* levelLoaderInstance = nullptr;
}

CLevelLoader* CLevelLoader::getInstance()
{
	if (!levelLoaderInstance)
		levelLoaderInstance = new (std::nothrow) CLevelLoader();
	return levelLoaderInstance;
}

CLevelLoader* CLevelLoader::peekInstance()
{
	return levelLoaderInstance;
}

void CLevelLoader::destroyInstance()
{
	delete levelLoaderInstance;
	levelLoaderInstance = nullptr;
}

} // namespace orv
