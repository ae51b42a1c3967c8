# Imported targets for every library the client builds on, all from Debian packages.
find_package(PkgConfig REQUIRED)
find_package(Threads REQUIRED)
find_package(ZLIB REQUIRED)
find_package(BZip2 REQUIRED)
find_package(Freetype REQUIRED)
find_package(box2d REQUIRED)
find_package(utf8cpp REQUIRED)
find_package(Boost REQUIRED COMPONENTS system)
find_package(X11 REQUIRED)
pkg_check_modules(OPENAL REQUIRED IMPORTED_TARGET openal)
pkg_check_modules(TREMOR REQUIRED IMPORTED_TARGET vorbisidec)
# Debian's CMake package of libzip names tools it does not install.
pkg_check_modules(LIBZIP REQUIRED IMPORTED_TARGET libzip)

find_path(IRRLICHT_INCLUDE_DIR irrlicht.h PATH_SUFFIXES irrlicht REQUIRED)
find_library(IRRLICHT_LIBRARY Irrlicht REQUIRED)
add_library(orv_irrlicht INTERFACE)
target_include_directories(orv_irrlicht SYSTEM INTERFACE ${IRRLICHT_INCLUDE_DIR})
target_link_libraries(orv_irrlicht INTERFACE ${IRRLICHT_LIBRARY})
add_library(orv::irrlicht ALIAS orv_irrlicht)

# Debian builds AngelScript inside its own namespace; every unit that sees the
# header must agree on that.
find_path(ANGELSCRIPT_INCLUDE_DIR angelscript.h REQUIRED)
find_library(ANGELSCRIPT_LIBRARY angelscript REQUIRED)
find_library(ANGELSCRIPT_ADDON_LIBRARY angelscript-addon REQUIRED)
add_library(orv_angelscript INTERFACE)
target_include_directories(orv_angelscript SYSTEM INTERFACE ${ANGELSCRIPT_INCLUDE_DIR} ${ANGELSCRIPT_INCLUDE_DIR}/angelscript)
target_compile_definitions(orv_angelscript INTERFACE AS_USE_NAMESPACE)
target_link_libraries(orv_angelscript INTERFACE ${ANGELSCRIPT_ADDON_LIBRARY} ${ANGELSCRIPT_LIBRARY} Threads::Threads)
add_library(orv::angelscript ALIAS orv_angelscript)

add_library(orv_utf8 INTERFACE)
target_link_libraries(orv_utf8 INTERFACE utf8cpp)
add_library(orv::utf8 ALIAS orv_utf8)
