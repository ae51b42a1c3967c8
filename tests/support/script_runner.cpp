#include "support/script_runner.h"

#include "script/CScriptManager.h"

#include <angelscript.h>
#include <gtest/gtest.h>

#include <cstring>
#include <deque>

namespace orv::test {

using namespace AngelScript;

// While the script string has no factory of its own, literals become plain
// pointers to text this runner keeps, so checks can still name themselves.
struct SFallbackStrings : public asIStringFactory
{
	struct SText
	{
		const char *Chars;
	};

	const void *GetStringConstant(const char *data, asUINT length) override
	{
		Texts.emplace_back(data, length);
		Handles.push_back(SText{Texts.back().c_str()});
		return &Handles.back();
	}
	int ReleaseStringConstant(const void *) override { return asSUCCESS; }
	int GetRawStringData(const void *str, char *data, asUINT *length) const override
	{
		const char *chars = static_cast<const SText *>(str)->Chars;
		const asUINT size = static_cast<asUINT>(std::strlen(chars));
		if (length)
			*length = size;
		if (data)
			std::memcpy(data, chars, size);
		return asSUCCESS;
	}

	std::deque<std::string> Texts;
	std::deque<SText> Handles;
};

namespace {

void messageSink(const asSMessageInfo *info, void *param)
{
	static_cast<CScriptRunner *>(param)->onMessage(SScriptMessage{
		info->type, info->section ? info->section : "", info->row, info->col, info->message ? info->message : ""});
}

void checkNative(asIScriptGeneric *gen)
{
	if (gen->GetArgByte(0))
		return;
	auto *runner = static_cast<CScriptRunner *>(gen->GetAuxiliary());
	std::string where;
	if (asIScriptContext *context = asGetActiveContext())
	{
		const char *section = nullptr;
		int column = 0;
		const int row = context->GetLineNumber(0, &column, &section);
		where = std::string(section ? section : "?") + ":" + std::to_string(row) + ":" + std::to_string(column);
	}
	std::string text;
	if (gen->GetAuxiliary() && runner->engine()->GetUserData(1))
		text = static_cast<const SFallbackStrings::SText *>(gen->GetArgAddress(1))->Chars;
	runner->onCheckFailed(where, text);
}

} // namespace

CScriptRunner::CScriptRunner()
{
	Engine = asCreateScriptEngine(ANGELSCRIPT_VERSION);
	Engine->SetEngineProperty(asEP_PROPERTY_ACCESSOR_MODE, 2);
	Engine->SetMessageCallback(asFUNCTION(messageSink), this, asCALL_CDECL);
	script::registerAddOnsAndValueTypes(Engine);

	if (Engine->GetStringFactoryReturnTypeId() < 0)
	{
		Fallback = std::make_unique<SFallbackStrings>();
		Engine->RegisterStringFactory("string", Fallback.get());
		Engine->SetUserData(Fallback.get(), 1);
	}
	Engine->RegisterGlobalFunction("void check(bool, const string &in)", asFUNCTION(checkNative), asCALL_GENERIC, this);
}

CScriptRunner::~CScriptRunner()
{
	Engine->ShutDownAndRelease();
}

void CScriptRunner::onMessage(const SScriptMessage &message)
{
	Messages.push_back(message);
	if (message.Type == asMSGTYPE_ERROR && !ErrorsExpected)
		ADD_FAILURE() << "script engine error: " << message.Section << " (" << message.Row << ", " << message.Column
		              << "): " << message.Text;
}

void CScriptRunner::onCheckFailed(const std::string &where, const std::string &text)
{
	++FailedChecks;
	ADD_FAILURE() << "script check failed at " << where << (text.empty() ? "" : ": ") << text;
}

bool CScriptRunner::build(const std::string &code)
{
	Module = Engine->GetModule("test", asGM_ALWAYS_CREATE);
	Module->AddScriptSection("test", code.c_str(), code.size());
	const int result = Module->Build();
	EXPECT_GE(result, 0) << "script did not build:\n" << code;
	return result >= 0;
}

bool CScriptRunner::buildFails(const std::string &code)
{
	ErrorsExpected = true;
	Module = Engine->GetModule("test", asGM_ALWAYS_CREATE);
	Module->AddScriptSection("test", code.c_str(), code.size());
	const int result = Module->Build();
	ErrorsExpected = false;
	return result < 0;
}

bool CScriptRunner::execute(const std::string &declaration, std::string *exception)
{
	if (!Module)
	{
		ADD_FAILURE() << "no script module built";
		return false;
	}
	asIScriptFunction *function = Module->GetFunctionByDecl(declaration.c_str());
	if (!function)
	{
		ADD_FAILURE() << "script has no function " << declaration;
		return false;
	}
	asIScriptContext *context = Engine->CreateContext();
	context->Prepare(function);
	const int checksBefore = FailedChecks;
	const int result = context->Execute();
	bool ok = result == asEXECUTION_FINISHED && FailedChecks == checksBefore;
	if (result == asEXECUTION_EXCEPTION)
	{
		const char *section = nullptr;
		int column = 0;
		const int row = context->GetExceptionLineNumber(&column, &section);
		if (exception)
			*exception = context->GetExceptionString();
		else
			ADD_FAILURE() << "script exception \"" << context->GetExceptionString() << "\" at "
			              << (section ? section : "?") << ":" << row << ":" << column;
	}
	else if (result != asEXECUTION_FINISHED)
		ADD_FAILURE() << "script did not finish: " << result;
	context->Release();
	return ok;
}

bool CScriptRunner::run(const std::string &declaration)
{
	return execute(declaration, nullptr);
}

bool CScriptRunner::runScript(const std::string &code, const std::string &declaration)
{
	return build(code) && run(declaration);
}

std::string CScriptRunner::runForException(const std::string &declaration)
{
	std::string exception;
	execute(declaration, &exception);
	EXPECT_FALSE(exception.empty()) << declaration << " raised no script exception";
	return exception;
}

} // namespace orv::test
