#include "script/ScriptCollector.h"

#include <angelscript.h>
#include <scriptarray.h>

#include <cstring>

namespace orv::script {

using namespace AngelScript;

void releaseScriptObjectLinks(asIScriptEngine* engine)
{
	// Releasing a handle frees no object the collector holds (it keeps a
	// reference of its own), so its list stays as it is during the walk.
	void* object = nullptr;
	asITypeInfo* type = nullptr;
	for (asUINT index = 0; engine->GetObjectInGC(index, nullptr, &object, &type) >= 0; ++index)
	{
		if (!object || !type)
			continue;
		if (type->GetFlags() & asOBJ_SCRIPT_OBJECT)
		{
			asIScriptObject* scriptObject = static_cast<asIScriptObject*>(object);
			for (asUINT property = 0; property < scriptObject->GetPropertyCount(); ++property)
			{
				const int typeId = scriptObject->GetPropertyTypeId(property);
				if (!(typeId & asTYPEID_OBJHANDLE))
					continue;
				void** slot = static_cast<void**>(scriptObject->GetAddressOfProperty(property));
				if (!slot || !*slot)
					continue;
				void* held = *slot;
				*slot = nullptr;
				engine->ReleaseScriptObject(held, engine->GetTypeInfoById(typeId));
			}
		}
		else if (std::strcmp(type->GetName(), "array") == 0)
			static_cast<CScriptArray*>(object)->Resize(0);
	}
}

} // namespace orv::script
