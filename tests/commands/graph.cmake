# Graph command tests: the pass-through commands through the engine on copies of the fixtures.
camlog_add_test_program(camlog_graph_commands_tests
  SOURCES
    ${CMAKE_CURRENT_SOURCE_DIR}/../engine/engine_test_host.cpp
    graph_commands_test.cpp
    inlay_settings_test.cpp
  LIBS camlog_commands camlog_media_test_support)
