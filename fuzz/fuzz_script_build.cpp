// The script build path under libFuzzer: the input is source text, built as
// the client's code through the one path every script takes (refusal of
// what the compiler cannot survive or afford, build, globals' initialisers
// under the run budget). One script host serves every input; each input's
// module is its own and leaves nothing behind.

#include "FuzzScriptHost.h"

#include "script/CScriptModule.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
	static orv::fuzz::CFuzzScriptHost host;
	// Initialisers that spin end soon.
	host.beginInput(50, 50);
	const std::string code(reinterpret_cast<const char*>(data), size);
	auto* client = new orv::script::CScriptModule("client", &host.scripts(), orv::script::ESMK_ENGINE);
	client->load(irr::core::ustring16(code.c_str()), "main");
	// The module takes code again after whatever came before.
	client->load(irr::core::ustring16("void Created(SceneObject@+ self) {}"), "main");
	if (client->getCallbackId(1) < 0)
		__builtin_trap();
	client->drop();
	host.endInput();
	return 0;
}
