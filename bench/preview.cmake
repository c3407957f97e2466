# The preview player: opening, steps, pictures per second and real-time playback.
find_package(Qt6 REQUIRED COMPONENTS Gui)
add_executable(camlog_bench_preview preview_bench.cpp)
target_link_libraries(camlog_bench_preview PRIVATE camlog_media Qt6::Gui)
