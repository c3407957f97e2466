# Shell service tests.
find_package(Qt6 REQUIRED COMPONENTS Core DBus)
# A file manager on a private session bus, for the test of the D-Bus call.
add_executable(camlog_fake_file_manager fake_file_manager.cpp)
target_link_libraries(camlog_fake_file_manager PRIVATE camlog_options Qt6::Core Qt6::DBus)
camlog_add_test_program(camlog_shell_tests
  SOURCES freedesktop_shell_test.cpp number_text_test.cpp file_helpers_test.cpp send_to_shortcut_test.cpp
    shell_test_env.cpp
  LIBS camlog_shell Qt6::Core)
add_dependencies(camlog_shell_tests camlog_fake_file_manager)
target_compile_definitions(camlog_shell_tests PRIVATE
  CAMLOG_FAKE_FILE_MANAGER="$<TARGET_FILE:camlog_fake_file_manager>")
