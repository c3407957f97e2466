# End-to-end tests of the batch mode: the built camlog program runs on copies of the fixtures.
# The runner is a library of its own so that other end-to-end tests (graph.cmake) can use it.
add_library(camlog_batch_runner STATIC batch_runner.cpp)
target_include_directories(camlog_batch_runner PUBLIC "${CMAKE_CURRENT_SOURCE_DIR}/..")
target_link_libraries(camlog_batch_runner PUBLIC camlog_test_support camlog_core)
target_compile_definitions(camlog_batch_runner PRIVATE CAMLOG_PROGRAM="$<TARGET_FILE:camlog>")
add_dependencies(camlog_batch_runner camlog)

camlog_add_test_program(camlog_batch_tests
  SOURCES batch_test.cpp
  LIBS camlog_batch_runner camlog_actions camlog_scenes camlog_core)

# The host's pieces on their own: typed answers, answer rules, the gauge, the hand-off.
camlog_add_test_program(camlog_batch_host_tests SOURCES batch_host_test.cpp LIBS camlog_batch)

# What the camlog command loads at its start, and the window program it starts.
camlog_add_test_program(camlog_start_tests SOURCES start_test.cpp LIBS camlog_batch_runner camlog_core)
