# The release's checksums, written while CPack makes the zip
# (packaging/release.cmake hands this script to CPack twice):
#
# - before the zip is packed, SHA256SUMS.txt among the files to pack: one
#   line per other file of the zip, "<SHA-256 in hex>  <name>", sorted by
#   name, with Windows (CR LF) line ends like the zip's other texts;
#   `sha256sum -c SHA256SUMS.txt` in the unpacked folder checks them all.
# - after, <package>.sha256 beside each package made (Ambleworks-<version>.zip.sha256),
#   the one line `sha256sum -c` reads, for mod pages and download checks.

if(CPACK_PACKAGE_FILES)
  # The packages are still in CPack's own folder, about to be copied to
  # where they go: the sums go there directly.
  set(destination ${CPACK_PACKAGE_DIRECTORY})
  if(CPACK_OUTPUT_FILE_PREFIX)
    set(destination ${CPACK_OUTPUT_FILE_PREFIX})
  endif()
  foreach(package IN LISTS CPACK_PACKAGE_FILES)
    file(SHA256 ${package} sum)
    get_filename_component(name ${package} NAME)
    file(WRITE ${destination}/${name}.sha256 "${sum}  ${name}\n")
  endforeach()
  return()
endif()

set(staging ${CPACK_TEMPORARY_INSTALL_DIRECTORY})
file(GLOB_RECURSE files LIST_DIRECTORIES false RELATIVE ${staging} ${staging}/*)
list(REMOVE_ITEM files SHA256SUMS.txt)
list(SORT files)
if(NOT files)
  message(FATAL_ERROR "checksums.cmake: no files to sum in ${staging}")
endif()
set(sums "")
foreach(name IN LISTS files)
  file(SHA256 ${staging}/${name} sum)
  string(APPEND sums "${sum}  ${name}\r\n")
endforeach()
file(WRITE ${staging}/SHA256SUMS.txt "${sums}")
