# Native build of the platform-free logic and its unit tests.
if(SORVANE_SANITIZE)
    set(SORVANE_SANITIZERS -fsanitize=address,undefined -fno-sanitize-recover=undefined
        -fno-omit-frame-pointer)
    target_compile_options(sorvane_logic PRIVATE ${SORVANE_SANITIZERS})
    target_link_options(sorvane_logic PUBLIC ${SORVANE_SANITIZERS})
endif()

find_package(GTest REQUIRED)
add_subdirectory(tests/host)
