# Runs one fuzz target for a bounded time over its seeds, keeping what it learns in a
# corpus folder of the build tree. Fails on any finding (the fuzzer's exit code).
file(MAKE_DIRECTORY ${CORPUS} ${MADE})
set(seed_folders ${MADE})
if(EXISTS ${SEEDS})
  list(APPEND seed_folders ${SEEDS})
endif()
execute_process(COMMAND ${FUZZER} -max_total_time=${SECONDS} -timeout=10 -rss_limit_mb=1024
                        -print_final_stats=1
                        -artifact_prefix=${CORPUS}- ${CORPUS} ${seed_folders}
                RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "${FUZZER} found a fault (exit code ${result})")
endif()
