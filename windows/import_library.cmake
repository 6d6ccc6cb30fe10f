# The import library that binds the plug-in's plain C calls of the eight hook
# functions to the decorated names ScriptHookRDR2.dll exports. It is made
# from our own .def file with dlltool; nothing of the host is needed to build.
#
# Defines the target scripthook_import: link it to import from
# ScriptHookRDR2.dll.

if(NOT TARGET scripthook_import)
  if(NOT CMAKE_DLLTOOL)
    find_program(CMAKE_DLLTOOL NAMES x86_64-w64-mingw32-dlltool dlltool REQUIRED)
  endif()

  set(AMBLEWORKS_SCRIPTHOOK_DEF ${PROJECT_SOURCE_DIR}/windows/ScriptHookRDR2.def)
  set(AMBLEWORKS_SCRIPTHOOK_LIB ${CMAKE_BINARY_DIR}/windows/libScriptHookRDR2.a)

  add_custom_command(
    OUTPUT ${AMBLEWORKS_SCRIPTHOOK_LIB}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/windows
    COMMAND ${CMAKE_DLLTOOL}
            --machine i386:x86-64
            --input-def ${AMBLEWORKS_SCRIPTHOOK_DEF}
            --dllname ScriptHookRDR2.dll
            --output-lib ${AMBLEWORKS_SCRIPTHOOK_LIB}
    DEPENDS ${AMBLEWORKS_SCRIPTHOOK_DEF}
    COMMENT "Import library for ScriptHookRDR2.dll"
    VERBATIM)
  add_custom_target(scripthook_import_lib DEPENDS ${AMBLEWORKS_SCRIPTHOOK_LIB})

  add_library(scripthook_import INTERFACE)
  add_dependencies(scripthook_import scripthook_import_lib)
  target_link_libraries(scripthook_import INTERFACE ${AMBLEWORKS_SCRIPTHOOK_LIB})
endif()
