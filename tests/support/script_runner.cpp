#include "support/script_runner.h"

#include "base/ustring16.h"
#include "script/CScriptManager.h"

#include <angelscript.h>
#include <gtest/gtest.h>

namespace orv::test {

using namespace AngelScript;

namespace {

void messageSink(const asSMessageInfo* info, void* param)
{
	static_cast<CScriptRunner*>(param)->onMessage(SScriptMessage{
		info->type, info->section ? info->section : "", info->row, info->col, info->message ? info->message : ""});
}

void checkNative(asIScriptGeneric* gen)
{
	if (gen->GetArgByte(0))
		return;
	auto* runner = static_cast<CScriptRunner*>(gen->GetAuxiliary());
	std::string where;
	if (asIScriptContext* context = asGetActiveContext())
	{
		const char* section = nullptr;
		int column = 0;
		const int row = context->GetLineNumber(0, &column, &section);
		where = std::string(section ? section : "?") + ":" + std::to_string(row) + ":" + std::to_string(column);
	}
	const auto* text = static_cast<const irr::core::ustring16*>(gen->GetArgAddress(1));
	runner->onCheckFailed(where, text ? text->toUTF8_std() : std::string());
}

} // namespace

CScriptRunner::CScriptRunner()
{
	Engine = asCreateScriptEngine(ANGELSCRIPT_VERSION);
	Engine->SetEngineProperty(asEP_PROPERTY_ACCESSOR_MODE, 2);
	Engine->SetMessageCallback(asFUNCTION(messageSink), this, asCALL_CDECL);
	script::registerAddOnsAndValueTypes(Engine);
	Engine->RegisterGlobalFunction("void check(bool, const string &in)", asFUNCTION(checkNative), asCALL_GENERIC, this);
}

CScriptRunner::~CScriptRunner()
{
	Engine->ShutDownAndRelease();
}

void CScriptRunner::onMessage(const SScriptMessage& message)
{
	Messages.push_back(message);
	if (message.Type == asMSGTYPE_ERROR && !ErrorsExpected)
		ADD_FAILURE() << "script engine error: " << message.Section << " (" << message.Row << ", " << message.Column
					  << "): " << message.Text;
}

void CScriptRunner::onCheckFailed(const std::string& where, const std::string& text)
{
	++FailedChecks;
	ADD_FAILURE() << "script check failed at " << where << (text.empty() ? "" : ": ") << text;
}

bool CScriptRunner::build(const std::string& code)
{
	Module = Engine->GetModule("test", asGM_ALWAYS_CREATE);
	Module->AddScriptSection("test", code.c_str(), code.size());
	const int result = Module->Build();
	EXPECT_GE(result, 0) << "script did not build:\n" << code;
	return result >= 0;
}

bool CScriptRunner::buildFails(const std::string& code)
{
	ErrorsExpected = true;
	Module = Engine->GetModule("test", asGM_ALWAYS_CREATE);
	Module->AddScriptSection("test", code.c_str(), code.size());
	const int result = Module->Build();
	ErrorsExpected = false;
	return result < 0;
}

bool CScriptRunner::execute(const std::string& declaration, std::string* exception)
{
	if (!Module)
	{
		ADD_FAILURE() << "no script module built";
		return false;
	}
	asIScriptFunction* function = Module->GetFunctionByDecl(declaration.c_str());
	if (!function)
	{
		ADD_FAILURE() << "script has no function " << declaration;
		return false;
	}
	asIScriptContext* context = Engine->CreateContext();
	context->Prepare(function);
	const int checksBefore = FailedChecks;
	const int result = context->Execute();
	bool ok = result == asEXECUTION_FINISHED && FailedChecks == checksBefore;
	if (result == asEXECUTION_EXCEPTION)
	{
		const char* section = nullptr;
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

bool CScriptRunner::run(const std::string& declaration)
{
	return execute(declaration, nullptr);
}

bool CScriptRunner::runScript(const std::string& code, const std::string& declaration)
{
	return build(code) && run(declaration);
}

bool CScriptRunner::runChecks(const std::vector<std::string>& expressions, const std::string& prelude)
{
	std::string code = prelude + "\nvoid main()\n{\n";
	for (const std::string& e : expressions)
		code += "\tcheck(" + e + ", \"" + e + "\");\n";
	code += "}\n";
	return runScript(code);
}

std::string CScriptRunner::runForException(const std::string& declaration)
{
	std::string exception;
	execute(declaration, &exception);
	EXPECT_FALSE(exception.empty()) << declaration << " raised no script exception";
	return exception;
}

} // namespace orv::test
