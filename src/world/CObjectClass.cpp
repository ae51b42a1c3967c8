#include "world/CObjectClass.h"

#include "script/CScriptModule.h"
#include "script/SScriptBinding.h"

namespace orv {

void CObjectClass::SBindingDeleter::operator()(script::SScriptBinding* binding) const
{
	delete binding;
}

CObjectClass::CObjectClass(const irr::core::ustring16& name, script::CScriptManager* scriptManager) : Name(name)
{
	Module = new script::CScriptModule(Name, scriptManager, script::ESMK_CLASS);
	Binding.reset(new script::SScriptBinding());
	Binding->setModule(Module);
}

CObjectClass::~CObjectClass()
{
	if (Module)
	{
		Module->drop();
		Module = nullptr;
	}
	// The binding lets go of its context, then of its reference to the module.
	Binding.reset();
}

} // namespace orv
