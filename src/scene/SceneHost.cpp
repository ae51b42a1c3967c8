#include "scene/ISceneHost.h"

namespace orv {

namespace {
ISceneHost* sceneHost = nullptr;
}

ISceneHost* getSceneHost()
{
	return sceneHost;
}

void setSceneHost(ISceneHost* host)
{
	sceneHost = host;
}

} // namespace orv
