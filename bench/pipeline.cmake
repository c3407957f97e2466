# The pass-through graph commands against cp, ffmpeg's stream copy, dvgrab and the raw scan.
add_executable(camlog_bench_pipeline pipeline_bench.cpp)
target_link_libraries(camlog_bench_pipeline PRIVATE camlog_commands camlog_media)
