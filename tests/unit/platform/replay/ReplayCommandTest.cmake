# Runs drawlume-agent --replay as a user would, at the recorded times: the pen
# stroke's records on standard output, the log (the permission state among
# it) on standard error, exit status 0; a session where a
# laptop's own pen comes before the companion plays the companion alone and
# says why on standard error; a malformed recording, or a file that is no
# recording at all, named with its line on standard error, exit status 2,
# nothing printed.
set(ENV{XDG_STATE_HOME} "${STATE}")

execute_process(COMMAND "${AGENT}" --print-events --replay "${DATA}/pen-stroke.hid"
                OUTPUT_VARIABLE printed ERROR_VARIABLE said RESULT_VARIABLE status TIMEOUT 30)
file(READ "${DATA}/pen-stroke.expected" expected)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "replay exited with ${status}")
endif()
# Standard error carries the log from info up, the permission state among it.
if(NOT said MATCHES "(^|\n)drawlume-agent: Input permission granted"
   OR NOT said MATCHES "(^|\n)drawlume-agent: Log files directory: ")
    message(FATAL_ERROR "replay said on standard error:\n${said}")
endif()
if(NOT printed STREQUAL expected)
    message(FATAL_ERROR "replay printed:\n${printed}\nexpected:\n${expected}")
endif()

execute_process(COMMAND "${AGENT}" --print-events --replay "${DATA}/laptop-pen-and-companion.hid"
                OUTPUT_VARIABLE printed ERROR_VARIABLE complaint RESULT_VARIABLE status TIMEOUT 30)
if(NOT status EQUAL 0 OR NOT printed STREQUAL expected)
    message(FATAL_ERROR "the mixed session exited with ${status} and printed:\n${printed}")
endif()
if(NOT complaint MATCHES "not playing [^\n]*laptop-pen-and-companion.hid \\(device 0\\): it is a pen digitizer but not a companion: pen report 3 has no 1-bit in range at byte 1")
    message(FATAL_ERROR "the mixed session said:\n${complaint}")
endif()

execute_process(COMMAND "${AGENT}" --print-events --replay /dev/zero
                OUTPUT_VARIABLE printed ERROR_VARIABLE complaint RESULT_VARIABLE status TIMEOUT 30)
if(NOT status EQUAL 2 OR NOT complaint MATCHES "/dev/zero:1: a line longer than 262144 bytes")
    message(FATAL_ERROR "--replay /dev/zero exited with ${status}:\n${complaint}")
endif()

set(bad "${STATE}/bad.hid")
file(WRITE "${bad}" "D: 0\nR: 2 05 0d\nE: 0.000000 2 03\n")
execute_process(COMMAND "${AGENT}" --print-events --replay "${bad}"
                OUTPUT_VARIABLE printed ERROR_VARIABLE complaint RESULT_VARIABLE status TIMEOUT 30)
if(NOT status EQUAL 2)
    message(FATAL_ERROR "a malformed recording exited with ${status}")
endif()
if(NOT complaint MATCHES "bad.hid:3: E: announces 2 bytes but lists 1" OR NOT printed STREQUAL "")
    message(FATAL_ERROR "a malformed recording gave:\n${complaint}\n${printed}")
endif()
