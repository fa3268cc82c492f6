# Run by CPack on the staged files before it builds the package: Debian keeps manual pages
# compressed (gzip -9n), while `cmake --install` puts them in place as they are. A page that
# is a link to another becomes a link to the other's compressed file.
file(GLOB_RECURSE pages LIST_DIRECTORIES false "${CPACK_TEMPORARY_DIRECTORY}/*/share/man/*")
foreach(page ${pages})
  if(page MATCHES "\\.gz$")
    continue()
  endif()
  if(IS_SYMLINK ${page})
    file(READ_SYMLINK ${page} target)
    file(REMOVE ${page})
    file(CREATE_LINK ${target}.gz ${page}.gz SYMBOLIC)
  else()
    execute_process(COMMAND gzip -9 -n ${page} COMMAND_ERROR_IS_FATAL ANY)
  endif()
endforeach()
