# Shell service tests.
find_package(Qt6 REQUIRED COMPONENTS Core)
camlog_add_test_program(camlog_shell_tests
  SOURCES freedesktop_shell_test.cpp number_text_test.cpp file_helpers_test.cpp send_to_shortcut_test.cpp
    shell_test_env.cpp
  LIBS camlog_shell Qt6::Core)
