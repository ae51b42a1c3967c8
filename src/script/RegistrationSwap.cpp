#include "script/RegistrationSwap.h"

#include <cctype>
#include <cstring>
#include <string>

namespace orv::script {

using namespace AngelScript;

namespace {

// The name just before a declaration's parameter list.
std::string methodName(const char* declaration)
{
	const char* open = std::strchr(declaration, '(');
	if (!open)
		return std::string();
	const char* end = open;
	while (end > declaration && std::isspace(static_cast<unsigned char>(end[-1])))
		--end;
	const char* begin = end;
	while (begin > declaration && (std::isalnum(static_cast<unsigned char>(begin[-1])) || begin[-1] == '_'))
		--begin;
	return std::string(begin, end);
}

class CRegistrationFilter final : public asIScriptEngine
{
public:
	CRegistrationFilter(asIScriptEngine* target, const std::vector<SRegistrationSwap>& swaps)
		: Target(target)
		, Swaps(swaps)
		, Used(swaps.size(), false)
	{
	}

	std::vector<SRegistrationSwap> unusedSwaps() const
	{
		std::vector<SRegistrationSwap> unused;
		for (size_t i = 0; i < Swaps.size(); ++i)
			if (!Used[i])
				unused.push_back(Swaps[i]);
		return unused;
	}

	int RegisterObjectMethod(const char* obj, const char* declaration, const asSFuncPtr& funcPointer, asDWORD callConv,
		void* auxiliary, int compositeOffset, bool isCompositeIndirect) override
	{
		if (const SRegistrationSwap* swap = findSwap(obj, declaration, nullptr))
			return Target->RegisterObjectMethod(obj, declaration, asFUNCTION(swap->Replacement), asCALL_GENERIC);
		return Target->RegisterObjectMethod(
			obj, declaration, funcPointer, callConv, auxiliary, compositeOffset, isCompositeIndirect);
	}

	int RegisterObjectBehaviour(const char* obj, asEBehaviours behaviour, const char* declaration,
		const asSFuncPtr& funcPointer, asDWORD callConv, void* auxiliary, int compositeOffset,
		bool isCompositeIndirect) override
	{
		if (const SRegistrationSwap* swap = findSwap(obj, declaration, &behaviour))
			return Target->RegisterObjectBehaviour(
				obj, behaviour, declaration, asFUNCTION(swap->Replacement), asCALL_GENERIC, auxiliary);
		return Target->RegisterObjectBehaviour(
			obj, behaviour, declaration, funcPointer, callConv, auxiliary, compositeOffset, isCompositeIndirect);
	}

	// Everything else goes straight on.
	int AddRef() const override { return Target->AddRef(); }
	int Release() const override { return Target->Release(); }
	int ShutDownAndRelease() override { return Target->ShutDownAndRelease(); }
	int SetEngineProperty(asEEngineProp property, asPWORD value) override
	{
		return Target->SetEngineProperty(property, value);
	}
	asPWORD GetEngineProperty(asEEngineProp property) const override { return Target->GetEngineProperty(property); }
	int SetMessageCallback(const asSFuncPtr& callback, void* obj, asDWORD callConv) override
	{
		return Target->SetMessageCallback(callback, obj, callConv);
	}
	int ClearMessageCallback() override { return Target->ClearMessageCallback(); }
	int WriteMessage(const char* section, int row, int col, asEMsgType type, const char* message) override
	{
		return Target->WriteMessage(section, row, col, type, message);
	}
	int SetJITCompiler(asIJITCompiler* compiler) override { return Target->SetJITCompiler(compiler); }
	asIJITCompiler* GetJITCompiler() const override { return Target->GetJITCompiler(); }
	int RegisterGlobalFunction(
		const char* declaration, const asSFuncPtr& funcPointer, asDWORD callConv, void* auxiliary) override
	{
		return Target->RegisterGlobalFunction(declaration, funcPointer, callConv, auxiliary);
	}
	asUINT GetGlobalFunctionCount() const override { return Target->GetGlobalFunctionCount(); }
	asIScriptFunction* GetGlobalFunctionByIndex(asUINT index) const override
	{
		return Target->GetGlobalFunctionByIndex(index);
	}
	asIScriptFunction* GetGlobalFunctionByDecl(const char* declaration) const override
	{
		return Target->GetGlobalFunctionByDecl(declaration);
	}
	int RegisterGlobalProperty(const char* declaration, void* pointer) override
	{
		return Target->RegisterGlobalProperty(declaration, pointer);
	}
	asUINT GetGlobalPropertyCount() const override { return Target->GetGlobalPropertyCount(); }
	int GetGlobalPropertyByIndex(asUINT index, const char** name, const char** nameSpace, int* typeId, bool* isConst,
		const char** configGroup, void** pointer, asDWORD* accessMask) const override
	{
		return Target->GetGlobalPropertyByIndex(
			index, name, nameSpace, typeId, isConst, configGroup, pointer, accessMask);
	}
	int GetGlobalPropertyIndexByName(const char* name) const override
	{
		return Target->GetGlobalPropertyIndexByName(name);
	}
	int GetGlobalPropertyIndexByDecl(const char* decl) const override
	{
		return Target->GetGlobalPropertyIndexByDecl(decl);
	}
	int RegisterObjectType(const char* obj, int byteSize, asDWORD flags) override
	{
		return Target->RegisterObjectType(obj, byteSize, flags);
	}
	int RegisterObjectProperty(const char* obj, const char* declaration, int byteOffset, int compositeOffset,
		bool isCompositeIndirect) override
	{
		return Target->RegisterObjectProperty(obj, declaration, byteOffset, compositeOffset, isCompositeIndirect);
	}
	int RegisterInterface(const char* name) override { return Target->RegisterInterface(name); }
	int RegisterInterfaceMethod(const char* intf, const char* declaration) override
	{
		return Target->RegisterInterfaceMethod(intf, declaration);
	}
	asUINT GetObjectTypeCount() const override { return Target->GetObjectTypeCount(); }
	asITypeInfo* GetObjectTypeByIndex(asUINT index) const override { return Target->GetObjectTypeByIndex(index); }
	int RegisterStringFactory(const char* datatype, asIStringFactory* factory) override
	{
		return Target->RegisterStringFactory(datatype, factory);
	}
	int GetStringFactoryReturnTypeId(asDWORD* flags) const override
	{
		return Target->GetStringFactoryReturnTypeId(flags);
	}
	int RegisterDefaultArrayType(const char* type) override { return Target->RegisterDefaultArrayType(type); }
	int GetDefaultArrayTypeId() const override { return Target->GetDefaultArrayTypeId(); }
	int RegisterEnum(const char* type) override { return Target->RegisterEnum(type); }
	int RegisterEnumValue(const char* type, const char* name, int value) override
	{
		return Target->RegisterEnumValue(type, name, value);
	}
	asUINT GetEnumCount() const override { return Target->GetEnumCount(); }
	asITypeInfo* GetEnumByIndex(asUINT index) const override { return Target->GetEnumByIndex(index); }
	int RegisterFuncdef(const char* decl) override { return Target->RegisterFuncdef(decl); }
	asUINT GetFuncdefCount() const override { return Target->GetFuncdefCount(); }
	asITypeInfo* GetFuncdefByIndex(asUINT index) const override { return Target->GetFuncdefByIndex(index); }
	int RegisterTypedef(const char* type, const char* decl) override { return Target->RegisterTypedef(type, decl); }
	asUINT GetTypedefCount() const override { return Target->GetTypedefCount(); }
	asITypeInfo* GetTypedefByIndex(asUINT index) const override { return Target->GetTypedefByIndex(index); }
	int BeginConfigGroup(const char* groupName) override { return Target->BeginConfigGroup(groupName); }
	int EndConfigGroup() override { return Target->EndConfigGroup(); }
	int RemoveConfigGroup(const char* groupName) override { return Target->RemoveConfigGroup(groupName); }
	asDWORD SetDefaultAccessMask(asDWORD defaultMask) override { return Target->SetDefaultAccessMask(defaultMask); }
	int SetDefaultNamespace(const char* nameSpace) override { return Target->SetDefaultNamespace(nameSpace); }
	const char* GetDefaultNamespace() const override { return Target->GetDefaultNamespace(); }
	asIScriptModule* GetModule(const char* module, asEGMFlags flag) override { return Target->GetModule(module, flag); }
	int DiscardModule(const char* module) override { return Target->DiscardModule(module); }
	asUINT GetModuleCount() const override { return Target->GetModuleCount(); }
	asIScriptModule* GetModuleByIndex(asUINT index) const override { return Target->GetModuleByIndex(index); }
	asIScriptFunction* GetFunctionById(int funcId) const override { return Target->GetFunctionById(funcId); }
	int GetTypeIdByDecl(const char* decl) const override { return Target->GetTypeIdByDecl(decl); }
	const char* GetTypeDeclaration(int typeId, bool includeNamespace) const override
	{
		return Target->GetTypeDeclaration(typeId, includeNamespace);
	}
	int GetSizeOfPrimitiveType(int typeId) const override { return Target->GetSizeOfPrimitiveType(typeId); }
	asITypeInfo* GetTypeInfoById(int typeId) const override { return Target->GetTypeInfoById(typeId); }
	asITypeInfo* GetTypeInfoByName(const char* name) const override { return Target->GetTypeInfoByName(name); }
	asITypeInfo* GetTypeInfoByDecl(const char* decl) const override { return Target->GetTypeInfoByDecl(decl); }
	asIScriptContext* CreateContext() override { return Target->CreateContext(); }
	void* CreateScriptObject(const asITypeInfo* type) override { return Target->CreateScriptObject(type); }
	void* CreateScriptObjectCopy(void* obj, const asITypeInfo* type) override
	{
		return Target->CreateScriptObjectCopy(obj, type);
	}
	void* CreateUninitializedScriptObject(const asITypeInfo* type) override
	{
		return Target->CreateUninitializedScriptObject(type);
	}
	asIScriptFunction* CreateDelegate(asIScriptFunction* func, void* obj) override
	{
		return Target->CreateDelegate(func, obj);
	}
	int AssignScriptObject(void* dstObj, void* srcObj, const asITypeInfo* type) override
	{
		return Target->AssignScriptObject(dstObj, srcObj, type);
	}
	void ReleaseScriptObject(void* obj, const asITypeInfo* type) override { Target->ReleaseScriptObject(obj, type); }
	void AddRefScriptObject(void* obj, const asITypeInfo* type) override { Target->AddRefScriptObject(obj, type); }
	int RefCastObject(
		void* obj, asITypeInfo* fromType, asITypeInfo* toType, void** newPtr, bool useOnlyImplicitCast) override
	{
		return Target->RefCastObject(obj, fromType, toType, newPtr, useOnlyImplicitCast);
	}
	asILockableSharedBool* GetWeakRefFlagOfScriptObject(void* obj, const asITypeInfo* type) const override
	{
		return Target->GetWeakRefFlagOfScriptObject(obj, type);
	}
	asIScriptContext* RequestContext() override { return Target->RequestContext(); }
	void ReturnContext(asIScriptContext* ctx) override { Target->ReturnContext(ctx); }
	int SetContextCallbacks(asREQUESTCONTEXTFUNC_t requestCtx, asRETURNCONTEXTFUNC_t returnCtx, void* param) override
	{
		return Target->SetContextCallbacks(requestCtx, returnCtx, param);
	}
	asETokenClass ParseToken(const char* string, size_t stringLength, asUINT* tokenLength) const override
	{
		return Target->ParseToken(string, stringLength, tokenLength);
	}
	int GarbageCollect(asDWORD flags, asUINT numIterations) override
	{
		return Target->GarbageCollect(flags, numIterations);
	}
	void GetGCStatistics(asUINT* currentSize, asUINT* totalDestroyed, asUINT* totalDetected, asUINT* newObjects,
		asUINT* totalNewDestroyed) const override
	{
		Target->GetGCStatistics(currentSize, totalDestroyed, totalDetected, newObjects, totalNewDestroyed);
	}
	int NotifyGarbageCollectorOfNewObject(void* obj, asITypeInfo* type) override
	{
		return Target->NotifyGarbageCollectorOfNewObject(obj, type);
	}
	int GetObjectInGC(asUINT idx, asUINT* seqNbr, void** obj, asITypeInfo** type) override
	{
		return Target->GetObjectInGC(idx, seqNbr, obj, type);
	}
	void GCEnumCallback(void* reference) override { Target->GCEnumCallback(reference); }
	void ForwardGCEnumReferences(void* ref, asITypeInfo* type) override { Target->ForwardGCEnumReferences(ref, type); }
	void ForwardGCReleaseReferences(void* ref, asITypeInfo* type) override
	{
		Target->ForwardGCReleaseReferences(ref, type);
	}
	void SetCircularRefDetectedCallback(asCIRCULARREFFUNC_t callback, void* param) override
	{
		Target->SetCircularRefDetectedCallback(callback, param);
	}
	void* SetUserData(void* data, asPWORD type) override { return Target->SetUserData(data, type); }
	void* GetUserData(asPWORD type) const override { return Target->GetUserData(type); }
	void SetEngineUserDataCleanupCallback(asCLEANENGINEFUNC_t callback, asPWORD type) override
	{
		Target->SetEngineUserDataCleanupCallback(callback, type);
	}
	void SetModuleUserDataCleanupCallback(asCLEANMODULEFUNC_t callback, asPWORD type) override
	{
		Target->SetModuleUserDataCleanupCallback(callback, type);
	}
	void SetContextUserDataCleanupCallback(asCLEANCONTEXTFUNC_t callback, asPWORD type) override
	{
		Target->SetContextUserDataCleanupCallback(callback, type);
	}
	void SetFunctionUserDataCleanupCallback(asCLEANFUNCTIONFUNC_t callback, asPWORD type) override
	{
		Target->SetFunctionUserDataCleanupCallback(callback, type);
	}
	void SetTypeInfoUserDataCleanupCallback(asCLEANTYPEINFOFUNC_t callback, asPWORD type) override
	{
		Target->SetTypeInfoUserDataCleanupCallback(callback, type);
	}
	void SetScriptObjectUserDataCleanupCallback(asCLEANSCRIPTOBJECTFUNC_t callback, asPWORD type) override
	{
		Target->SetScriptObjectUserDataCleanupCallback(callback, type);
	}
	int SetTranslateAppExceptionCallback(asSFuncPtr callback, void* param, int callConv) override
	{
		return Target->SetTranslateAppExceptionCallback(callback, param, callConv);
	}

private:
	// A method swap matches by name, a behaviour swap by kind; both then by
	// parameter count and the text the declaration must hold.
	const SRegistrationSwap* findSwap(const char* obj, const char* declaration, const asEBehaviours* behaviour)
	{
		for (size_t i = 0; i < Swaps.size(); ++i)
		{
			const SRegistrationSwap& swap = Swaps[i];
			if (std::strcmp(swap.Object, obj) != 0)
				continue;
			if (behaviour ? (swap.Method || swap.Behaviour != *behaviour)
						  : (!swap.Method || methodName(declaration) != swap.Method))
				continue;
			if (countParameters(declaration) != swap.ParameterCount)
				continue;
			if (swap.Holds && !std::strstr(declaration, swap.Holds))
				continue;
			Used[i] = true;
			return &swap;
		}
		return nullptr;
	}

	asIScriptEngine* Target;
	std::vector<SRegistrationSwap> Swaps;
	std::vector<bool> Used;
};

} // namespace

int countParameters(const char* declaration)
{
	const char* p = std::strchr(declaration, '(');
	if (!p)
		return 0;
	int depth = 0;
	int commas = 0;
	bool any = false;
	for (++p; *p; ++p)
	{
		if (*p == '(' || *p == '<')
			++depth;
		else if (*p == ')' || *p == '>')
		{
			if (*p == ')' && depth == 0)
				break;
			--depth;
		}
		else if (*p == ',' && depth == 0)
			++commas;
		if (!std::isspace(static_cast<unsigned char>(*p)))
			any = true;
	}
	return any ? commas + 1 : 0;
}

std::vector<SRegistrationSwap> registerWithSwaps(asIScriptEngine* engine,
	const std::function<void(asIScriptEngine*)>& registrar, const std::vector<SRegistrationSwap>& swaps)
{
	CRegistrationFilter filter(engine, swaps);
	registrar(&filter);
	return filter.unusedSwaps();
}

} // namespace orv::script
