#include "script/api/IGameHost.h"

namespace orv::script {

namespace {
IGameHost* gameHost = nullptr;
}

IGameHost* getGameHost()
{
	return gameHost;
}

void setGameHost(IGameHost* host)
{
	gameHost = host;
}

} // namespace orv::script
