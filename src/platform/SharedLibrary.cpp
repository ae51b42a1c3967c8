#include "platform/SharedLibrary.h"

#include <dlfcn.h>

namespace orv {
namespace platform {

LibraryHandle loadSharedLibrary(const char* path)
{
	// A library finds its neighbours through its own $ORIGIN run path; the
	// loader has no "search beside the library" flag of its own. RTLD_LOCAL
	// keeps one plug-in's symbols from answering for another's.
	return path ? ::dlopen(path, RTLD_NOW | RTLD_LOCAL) : nullptr;
}

void* findLibrarySymbol(LibraryHandle library, const char* name)
{
	return library && name ? ::dlsym(library, name) : nullptr;
}

void freeSharedLibrary(LibraryHandle library)
{
	if (library)
		::dlclose(library);
}

} // namespace platform
} // namespace orv
