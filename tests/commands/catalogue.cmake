# Command catalogue and handler tests.
camlog_add_test_program(camlog_commands_tests
  SOURCES
    ${CMAKE_CURRENT_SOURCE_DIR}/../engine/engine_test_host.cpp
    catalogue_test.cpp
    codec_commands_test.cpp
    file_commands_test.cpp
    rename_test.cpp
    scene_list_commands_test.cpp
    time_difference_test.cpp
  LIBS camlog_commands)
