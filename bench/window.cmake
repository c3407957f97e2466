# The window's opening of a folder against the list model alone.
find_package(Qt6 REQUIRED COMPONENTS Test)
add_executable(camlog_bench_window_open window_open_bench.cpp)
target_link_libraries(camlog_bench_window_open PRIVATE camlog_widgets camlog_session Qt6::Test)
