# Runs drawlume-agent --replay as a user would, at the recorded times: the pen
# stroke's records on standard output, exit status 0; a malformed recording
# named with its line on standard error, exit status 2, nothing printed.
set(ENV{XDG_STATE_HOME} "${STATE}")

execute_process(COMMAND "${AGENT}" --print-events --replay "${DATA}/pen-stroke.hid"
                OUTPUT_VARIABLE printed RESULT_VARIABLE status TIMEOUT 30)
file(READ "${DATA}/pen-stroke.expected" expected)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "replay exited with ${status}")
endif()
if(NOT printed STREQUAL expected)
    message(FATAL_ERROR "replay printed:\n${printed}\nexpected:\n${expected}")
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
