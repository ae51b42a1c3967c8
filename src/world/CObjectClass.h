#pragma once

#include <memory>

#include "base/ustring16.h"
#include "world/CAttributeList.h"

namespace orv {

namespace script {
class CScriptManager;
class CScriptModule;
struct SScriptBinding;
} // namespace script

//! A named template of scene objects: the default class attributes, copied
//! into every object of the class, and a script module named after the class.
/** Owned by the object manager; objects point at their class without owning it. */
class CObjectClass
{
public:
	//! The module is made with the manager (null: no scripts) and bound.
	CObjectClass(const irr::core::ustring16& name, script::CScriptManager* scriptManager);
	~CObjectClass();
	CObjectClass(const CObjectClass&) = delete;
	CObjectClass& operator=(const CObjectClass&) = delete;

	const irr::core::ustring16& getName() const { return Name; }
	CAttributeList& getAttributes() { return Attributes; }
	const CAttributeList& getAttributes() const { return Attributes; }
	//! Null when scripts are not set up.
	script::CScriptModule* getModule() const { return Module; }
	//! Null when scripts are not set up.
	script::SScriptBinding* getBinding() const { return Binding.get(); }

private:
	struct SBindingDeleter
	{
		void operator()(script::SScriptBinding* binding) const;
	};

	CAttributeList Attributes;
	script::CScriptModule* Module = nullptr;
	std::unique_ptr<script::SScriptBinding, SBindingDeleter> Binding;
	irr::core::ustring16 Name;
};

} // namespace orv
