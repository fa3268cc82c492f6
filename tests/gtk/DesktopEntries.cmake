# cmake --install puts the menu entry, its icon and the autostart entry in place, each starting
# the installed program. Run with -DBUILD=<build tree> -DROOT=<scratch folder>.
file(REMOVE_RECURSE ${ROOT})
execute_process(
  COMMAND ${CMAKE_COMMAND} -E env DESTDIR=${ROOT}
          ${CMAKE_COMMAND} --install ${BUILD} --prefix /opt/tallowmere
  RESULT_VARIABLE status OUTPUT_QUIET)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "cmake --install failed: ${status}")
endif()
foreach(entry ${ROOT}/opt/tallowmere/share/applications/tallowmere.desktop
              ${ROOT}/etc/xdg/autostart/tallowmere.desktop)
  if(NOT EXISTS ${entry})
    message(FATAL_ERROR "not installed: ${entry}")
  endif()
  file(STRINGS ${entry} exec REGEX "^Exec=")
  if(NOT exec STREQUAL "Exec=/opt/tallowmere/bin/tallowmere")
    message(FATAL_ERROR "${entry} starts '${exec}'")
  endif()
endforeach()
if(NOT EXISTS ${ROOT}/opt/tallowmere/share/icons/hicolor/256x256/apps/tallowmere.png)
  message(FATAL_ERROR "the menu entry's icon is not installed")
endif()
file(REMOVE_RECURSE ${ROOT})
