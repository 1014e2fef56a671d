# Native build of the platform-free logic: unit tests and benchmarks.
if(SORVANE_SANITIZE)
    set(SORVANE_SANITIZERS -fsanitize=address,undefined -fno-sanitize-recover=undefined
        -fno-omit-frame-pointer)
    target_compile_options(sorvane_logic PRIVATE ${SORVANE_SANITIZERS})
    target_link_options(sorvane_logic PUBLIC ${SORVANE_SANITIZERS})
endif()

find_package(GTest REQUIRED)
add_subdirectory(tests/host)

find_package(benchmark QUIET)
if(benchmark_FOUND AND NOT SORVANE_SANITIZE)
    add_subdirectory(bench/host)
endif()
