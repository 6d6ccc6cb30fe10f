# The Windows version resource (Explorer's Properties > Details, and what mod
# managers read): product name, version from the project's version, and a
# description of the file.
#
#   ambleworks_version_resource(TARGET FILE_NAME VFT_DLL|VFT_APP DESCRIPTION)

enable_language(RC)

function(ambleworks_version_resource target file_name file_type description)
  set(AMBLEWORKS_RC_FILE_NAME ${file_name})
  set(AMBLEWORKS_RC_FILE_TYPE ${file_type})
  set(AMBLEWORKS_RC_DESCRIPTION ${description})
  set(rc ${CMAKE_CURRENT_BINARY_DIR}/${target}_version.rc)
  configure_file(${PROJECT_SOURCE_DIR}/windows/version.rc.in ${rc} @ONLY)
  target_sources(${target} PRIVATE ${rc})
endfunction()
