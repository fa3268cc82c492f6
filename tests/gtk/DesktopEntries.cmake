# cmake --install puts the menu entry, its icons and the autostart entry in place, each starting
# the installed program through the installed launcher, and the autostart folder's entry is a
# link to the one kept beside the bundle. Run with -DBUILD=<build tree> -DROOT=<scratch folder>.
file(REMOVE_RECURSE ${ROOT})
execute_process(
  COMMAND ${CMAKE_COMMAND} -E env DESTDIR=${ROOT}
          ${CMAKE_COMMAND} --install ${BUILD} --prefix /opt/tallowmere
  RESULT_VARIABLE status OUTPUT_QUIET)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "cmake --install failed: ${status}")
endif()
set(app_id org.tallowmere.Tallowmere)
set(launcher /opt/tallowmere/libexec/tallowmere/tallowmere-launcher)
# The autostart folder holds a link to the entry beside the bundle.
set(autostart_entry /opt/tallowmere/share/tallowmere/autostart/${app_id}.desktop)
if(NOT IS_SYMLINK ${ROOT}/etc/xdg/autostart/${app_id}.desktop)
  message(FATAL_ERROR "no link ${ROOT}/etc/xdg/autostart/${app_id}.desktop")
endif()
file(READ_SYMLINK ${ROOT}/etc/xdg/autostart/${app_id}.desktop target)
if(NOT target STREQUAL autostart_entry)
  message(FATAL_ERROR "the autostart entry links to '${target}'")
endif()
foreach(entry ${ROOT}/opt/tallowmere/share/applications/${app_id}.desktop ${ROOT}${autostart_entry})
  if(NOT EXISTS ${entry})
    message(FATAL_ERROR "not installed: ${entry}")
  endif()
  file(STRINGS ${entry} exec REGEX "^Exec=")
  if(NOT exec STREQUAL "Exec=${launcher}")
    message(FATAL_ERROR "${entry} starts '${exec}'")
  endif()
endforeach()
# The launcher starts the program under the same prefix.
file(STRINGS ${ROOT}${launcher} program REGEX "^exec ")
if(NOT program STREQUAL "exec \"/opt/tallowmere/bin/tallowmere\" \"$@\"")
  message(FATAL_ERROR "the launcher starts '${program}'")
endif()
foreach(size 16 22 24 32 48 64 128 256)
  if(NOT EXISTS ${ROOT}/opt/tallowmere/share/icons/hicolor/${size}x${size}/apps/${app_id}.png)
    message(FATAL_ERROR "the menu entry's ${size} px icon is not installed")
  endif()
endforeach()
file(REMOVE_RECURSE ${ROOT})
