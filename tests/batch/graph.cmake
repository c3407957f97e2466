# End-to-end runs of the graph commands through the batch mode, checked with independent tools.
camlog_add_test_program(camlog_graph_batch_tests
  SOURCES batch_runner.cpp graph_batch_test.cpp
  LIBS camlog_media camlog_scenes camlog_core)
target_include_directories(camlog_graph_batch_tests PRIVATE "${CMAKE_CURRENT_SOURCE_DIR}/..")
target_compile_definitions(camlog_graph_batch_tests PRIVATE
  CAMLOG_PROGRAM="$<TARGET_FILE:camlog>"
  CAMLOG_VERSION="${PROJECT_VERSION}")
add_dependencies(camlog_graph_batch_tests camlog)
