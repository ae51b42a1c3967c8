#pragma once
// Loading code at run time: the audio plug-ins.

namespace orv {
namespace platform {

typedef void* LibraryHandle;

//! Loads a shared library by path (UTF-8); null when it cannot be loaded.
/** Its own dependencies are searched beside it first. */
LibraryHandle loadSharedLibrary(const char* path);
//! The address of an exported symbol, or null.
void* findLibrarySymbol(LibraryHandle library, const char* name);
//! Unloads a library; null is ignored.
void freeSharedLibrary(LibraryHandle library);

} // namespace platform
} // namespace orv
