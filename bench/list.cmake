# list benchmarks
