# Runs one script with kivo and checks it. Arguments: KIVO, SCRIPT, and EXPECTED, a file holding the
# exact standard output followed by a line "// exit status: N". A first script line "// args: ..."
# gives extra arguments to `kivo run`.
file(STRINGS ${SCRIPT} first LIMIT_COUNT 1)
set(extra "")
if(first MATCHES "^// args: (.*)$")
    separate_arguments(extra UNIX_COMMAND "${CMAKE_MATCH_1}")
endif()
execute_process(COMMAND ${KIVO} run ${SCRIPT} ${extra}
    OUTPUT_VARIABLE output ERROR_VARIABLE errors RESULT_VARIABLE status)
string(APPEND output "// exit status: ${status}\n")
file(READ ${EXPECTED} expected)
if(NOT output STREQUAL expected)
    message(FATAL_ERROR "kivo run ${SCRIPT} printed:\n${output}${errors}\nexpected:\n${expected}")
endif()
