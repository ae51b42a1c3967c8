#include "script/api/SceneObjectLookup.h"

#include "world/CObjectManager.h"

namespace orv::script {

CSceneObject* findSceneObject(irr::u32 id)
{
	if (id == 0)
		return nullptr;
	CObjectManager* manager = CObjectManager::getExistingInstance();
	return manager ? manager->getSceneObject(id) : nullptr;
}

} // namespace orv::script
