# A short fuzzing pass: first every valid seed must read (and round-trip), then libFuzzer
# mutates a copy of the corpus for a bounded number of runs. Any crash, leak, timeout, excessive
# memory use or failed check fails the test. The corpus in the source tree is never modified.
foreach(var FUZZER CORPUS WORK_DIR MAX_LEN RUNS)
    if(NOT DEFINED ${var})
        message(FATAL_ERROR "${var} is not set")
    endif()
endforeach()
if(NOT EXISTS "${FUZZER}")
    message(FATAL_ERROR "the fuzz target ${FUZZER} has not been built")
endif()

# Seeds written when the test runs (binary images are not kept in the source tree).
if(DEFINED SEED_SCRIPT)
    include("${SEED_SCRIPT}")
endif()

file(REMOVE_RECURSE "${WORK_DIR}")
file(MAKE_DIRECTORY "${WORK_DIR}/corpus")
file(GLOB seeds "${CORPUS}/*")
file(GLOB valid_seeds "${CORPUS}/valid-*")
list(LENGTH valid_seeds valid_count)
if(valid_count EQUAL 0)
    message(FATAL_ERROR "no valid seed files in ${CORPUS}")
endif()
file(COPY ${seeds} DESTINATION "${WORK_DIR}/corpus")

set(limits -rss_limit_mb=2048 -malloc_limit_mb=2048 -timeout=5)
set(ENV{OV2_FUZZ_EXPECT_VALID} 1)
execute_process(COMMAND "${FUZZER}" ${limits} ${valid_seeds}
                WORKING_DIRECTORY "${WORK_DIR}" RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "a valid seed file failed (exit ${result})")
endif()
unset(ENV{OV2_FUZZ_EXPECT_VALID})

execute_process(COMMAND "${FUZZER}" -runs=${RUNS} -max_len=${MAX_LEN} -seed=1 ${limits}
                        -artifact_prefix=${WORK_DIR}/ "${WORK_DIR}/corpus"
                WORKING_DIRECTORY "${WORK_DIR}" RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "the fuzzer found a failure (exit ${result}); the input is in ${WORK_DIR}")
endif()
