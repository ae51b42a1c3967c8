# The client's libraries from the lowest row up. A library may link, and
# include the headers of, libraries of earlier rows only; libraries of one row
# do not use each other. A new library needs its row here.
set(ORV_LAYERS
  orv_base
  orv_platform
  "orv_text|orv_audio|orv_scene_picture"
  orv_script_bindings
  orv_script
  orv_world
  orv_scene
  orv_level
  orv_net
  orv_script_api
  orv_frontend
  orv_engine
  orv)

# orv_check_layers(): fails the configure when a library made by
# orv_add_library, or the program, links or includes a library that is not
# below it, or when a library has no row.
function(orv_check_layers)
  set(rank 0)
  foreach(row IN LISTS ORV_LAYERS)
    string(REPLACE "|" ";" names "${row}")
    foreach(name IN LISTS names)
      set(rank_${name} ${rank})
    endforeach()
    math(EXPR rank "${rank} + 1")
  endforeach()

  get_property(libraries GLOBAL PROPERTY ORV_LIBRARIES)
  set(errors "")
  foreach(library IN LISTS libraries ITEMS orv)
    if(NOT DEFINED rank_${library})
      string(APPEND errors "  ${library} has no row in ORV_LAYERS (cmake/OrvLayers.cmake)\n")
      continue()
    endif()
    get_target_property(multiplicity ${library} LINK_INTERFACE_MULTIPLICITY)
    if(multiplicity)
      string(APPEND errors "  ${library} sets LINK_INTERFACE_MULTIPLICITY: its links go in a circle\n")
    endif()
    get_target_property(direct ${library} LINK_LIBRARIES)
    get_target_property(interface ${library} INTERFACE_LINK_LIBRARIES)
    set(items ${direct} ${interface})
    list(REMOVE_DUPLICATES items)
    foreach(item IN LISTS items)
      string(REGEX REPLACE "^\\$<LINK_ONLY:(.*)>$" "\\1" item "${item}")
      if(DEFINED rank_${item} AND NOT rank_${item} LESS rank_${library})
        string(APPEND errors "  ${library} links ${item}, which is not below it\n")
      endif()
    endforeach()
  endforeach()

  # A header of a library above compiles and may even link through the test
  # executables, which hold everything: the includes are checked as well.
  foreach(library IN LISTS libraries)
    get_property(folder GLOBAL PROPERTY ORV_FOLDER_${library})
    set(library_of_${folder} ${library})
  endforeach()
  foreach(library IN LISTS libraries)
    if(NOT DEFINED rank_${library})
      continue()
    endif()
    get_property(folder GLOBAL PROPERTY ORV_FOLDER_${library})
    file(GLOB files ${PROJECT_SOURCE_DIR}/src/${folder}/*.h ${PROJECT_SOURCE_DIR}/src/${folder}/*.cpp)
    foreach(file IN LISTS files)
      file(STRINGS ${file} includes REGEX "^[ \t]*#[ \t]*include[ \t]*\"[^\"]+\"")
      foreach(line IN LISTS includes)
        string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([^\"]+)\".*$" "\\1" header "${line}")
        get_filename_component(headerFolder "${header}" DIRECTORY)
        if(NOT DEFINED library_of_${headerFolder})
          continue()
        endif()
        set(used ${library_of_${headerFolder}})
        if(NOT used STREQUAL library AND NOT rank_${used} LESS rank_${library})
          file(RELATIVE_PATH shown ${PROJECT_SOURCE_DIR} ${file})
          string(APPEND errors "  ${shown} (${library}) includes ${header} of ${used}, which is not below it\n")
        endif()
      endforeach()
    endforeach()
  endforeach()

  if(errors)
    message(FATAL_ERROR "Libraries must use only the libraries below them:\n${errors}")
  endif()
endfunction()
