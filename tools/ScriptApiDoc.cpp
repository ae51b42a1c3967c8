// orv_api_doc: writes the script API page. It starts the engine on the null
// device, so the script host holds exactly the registrations the client
// makes, and merges what it reads from them into the hand-written template.
//
// Template lines the tool replaces:
//   @declaration NAME   the declaration of the callback NAME
//   @global NAME        the declaration of the global property NAME
//   @reference          every type, enum and global a script can use
// A callback the client registers but the template does not describe, or a
// name the client does not register, fails the run.

#include <angelscript.h>

#include <filesystem>
#include <fstream>
#include <iostream>
#include <random>
#include <set>
#include <sstream>

#include "ScriptApiReference.h"
#include "engine/CGameEngine.h"
#include "engine/EngineTeardown.h"
#include "script/CScriptManager.h"

namespace {

namespace fs = std::filesystem;
using namespace AngelScript;

// The callback's name: the word before the parameter list.
std::string callbackName(const std::string& declaration)
{
	const std::string head = declaration.substr(0, declaration.find('('));
	return head.substr(head.find_last_of(' ') + 1);
}

void writeCode(std::ostream& out, const std::string& code)
{
	out << "```\n" << code << "\n```\n";
}

std::string typeOfGlobal(const std::string& declaration)
{
	std::string type = declaration.substr(0, declaration.find_last_of(' '));
	if (type.compare(0, 6, "const ") == 0)
		type = type.substr(6);
	return type;
}

// False, after saying why, when the template and the registrations disagree.
bool merge(std::istream& page, orv::script::CScriptManager& scripts, std::ostream& out)
{
	asIScriptEngine& engine = *scripts.getEngine();
	std::map<std::string, std::string> callbacks;
	for (const auto& entry : scripts.getCallbacks())
		callbacks[callbackName(entry.second.Declaration.c_str())] = entry.second.Declaration.c_str();

	bool good = true;
	std::set<std::string> described;
	std::string line;
	while (std::getline(page, line))
	{
		std::istringstream words(line);
		std::string directive, name;
		words >> directive >> name;
		if (directive == "@declaration")
		{
			const auto found = callbacks.find(name);
			if (found == callbacks.end())
			{
				std::cerr << "The client registers no callback " << name << ".\n";
				good = false;
				continue;
			}
			described.insert(name);
			writeCode(out, found->second);
		}
		else if (directive == "@global")
		{
			const std::string declaration = orv::tools::findGlobalPropertyDeclaration(engine, name);
			if (declaration.empty())
			{
				std::cerr << "The client registers no global " << name << ".\n";
				good = false;
				continue;
			}
			writeCode(out, declaration);
			const std::string type = typeOfGlobal(declaration);
			out << "\nIts methods and properties: [" << type << "](#" << orv::tools::typeAnchor(type) << ").\n";
		}
		else if (directive == "@reference")
		{
			orv::tools::writeScriptApiReference(engine, out);
		}
		else
		{
			out << line << "\n";
		}
	}
	for (const auto& callback : callbacks)
	{
		if (!described.count(callback.first))
		{
			std::cerr << "The callback " << callback.first << " has no @declaration in the template.\n";
			good = false;
		}
	}
	return good;
}

} // namespace

int main(int argc, char** argv)
{
	if (argc != 2 && argc != 3)
	{
		std::cerr << "Usage: orv_api_doc OUTPUT [TEMPLATE]\n";
		return 2;
	}
	// The engine changes the working directory: both paths are taken first.
	const fs::path output = fs::absolute(argv[1]);
	const fs::path pageTemplate = fs::absolute(argc == 3 ? argv[2] : ORV_API_DOC_TEMPLATE);
	std::ifstream page(pageTemplate);
	if (!page)
	{
		std::cerr << "Cannot read " << pageTemplate << ".\n";
		return 1;
	}

	// A folder of its own: the engine reads and writes its settings there.
	std::random_device random;
	const fs::path folder = fs::temp_directory_path() / ("orv-api-doc-" + std::to_string(random()));
	std::error_code failed;
	if (!fs::create_directory(folder, failed))
	{
		std::cerr << "Cannot make " << folder << ".\n";
		return 1;
	}
	const fs::path previous = fs::current_path();

	orv::SEngineLaunch launch;
	launch.programDirectory = irr::core::ustring16((folder.string() + "/").c_str()).toWCHAR_s();
	launch.nullDevice = true;
	orv::CGameEngine::setLaunch(launch);
	orv::CGameEngine* engine = orv::CGameEngine::getInstance();

	std::ostringstream text;
	bool good = engine && engine->init() && engine->getScriptManager() && engine->getScriptManager()->getEngine();
	if (!good)
		std::cerr << "The engine did not start.\n";
	else
		good = merge(page, *engine->getScriptManager(), text);

	orv::tearDownSingletons();
	fs::current_path(previous, failed);
	fs::remove_all(folder, failed);
	if (!good)
		return 1;

	std::ofstream out(output, std::ios::binary | std::ios::trunc);
	out << text.str();
	out.close();
	if (!out)
	{
		std::cerr << "Cannot write " << output << ".\n";
		return 1;
	}
	return 0;
}
