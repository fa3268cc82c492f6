# Runs `tallowmere` with `quit` on its input and checks that it ends with status 0 having written
# nothing to standard error but its two start-up lines. A switch attached to this machine adds
# its own lines (found, or no access), so then only the first two lines are checked.
#   cmake -DPROGRAM=... -DRULES=... -DWORK=... -P ProgramStart.cmake
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
file(WRITE ${WORK}/input "quit\n")
execute_process(COMMAND ${PROGRAM} WORKING_DIRECTORY ${WORK} INPUT_FILE ${WORK}/input
  RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE errors TIMEOUT 20)
if(NOT status STREQUAL "0")
  message(FATAL_ERROR "tallowmere ended with ${status}; standard error:\n${errors}")
endif()

set(startLines "Tallowmere is running natively on an Intel-based Macintosh computer\n")
string(APPEND startLines "Tallowmere is running on a Little Endian Byte Order CPU\n")

# Whether a hidraw node of this machine belongs to a supported switch (a pair in the rule file).
set(switchAttached FALSE)
file(READ ${RULES} rules)
string(TOLOWER "${rules}" rules)
file(GLOB hidrawNodes /sys/class/hidraw/*)
foreach(node ${hidrawNodes})
  if(EXISTS ${node}/device/uevent)
    file(STRINGS ${node}/device/uevent hidId REGEX "^HID_ID=")
    string(TOLOWER "${hidId}" hidId)
    if(hidId MATCHES "^hid_id=[0-9a-f]+:0000([0-9a-f]+):0000([0-9a-f]+)$")
      set(pair "ATTRS{idVendor}==\"${CMAKE_MATCH_1}\", ATTRS{idProduct}==\"${CMAKE_MATCH_2}\"")
      string(TOLOWER "${pair}" pair)
      string(FIND "${rules}" "${pair}" at)
      if(NOT at EQUAL -1)
        set(switchAttached TRUE)
      endif()
    endif()
  endif()
endforeach()

if(switchAttached)
  string(LENGTH "${startLines}" length)
  string(SUBSTRING "${errors}" 0 ${length} errors)
endif()
if(NOT errors STREQUAL startLines)
  message(FATAL_ERROR "Standard error was not the two start-up lines:\n${errors}")
endif()
