# End-to-end tests of the batch mode: the built camlog program runs on copies of the fixtures.
camlog_add_test_program(camlog_batch_tests
  SOURCES batch_runner.cpp batch_test.cpp
  LIBS camlog_actions camlog_scenes camlog_core)
target_include_directories(camlog_batch_tests PRIVATE "${CMAKE_CURRENT_SOURCE_DIR}/..")
target_compile_definitions(camlog_batch_tests PRIVATE
  CAMLOG_PROGRAM="$<TARGET_FILE:camlog>"
  CAMLOG_VERSION="${PROJECT_VERSION}")
add_dependencies(camlog_batch_tests camlog)

# The host's pieces on their own: typed answers, answer rules, the gauge, the hand-off.
camlog_add_test_program(camlog_batch_host_tests SOURCES batch_host_test.cpp LIBS camlog_batch)
