# The Windows program and everything that runs under Wine.

# Program code: no exceptions, no RTTI, doubles in SSE registers so that the
# 32-bit build rounds the moon geometry exactly as the 64-bit one the tests run.
# Small: every function in a section of its own, so that the link drops what is
# never called, and no unwind tables, which nothing reads without exceptions.
# Reproducible: the same bytes from any folder (no path, and no time in the PE header).
set(SORVANE_PROGRAM_FLAGS -fno-exceptions -fno-rtti -ffunction-sections -fdata-sections
    -fno-asynchronous-unwind-tables -ffile-prefix-map=${CMAKE_SOURCE_DIR}/=
    -ffile-prefix-map=${CMAKE_BINARY_DIR}/=)
if(CMAKE_SYSTEM_PROCESSOR STREQUAL "i686")
    list(APPEND SORVANE_PROGRAM_FLAGS -msse2 -mfpmath=sse)
endif()
target_compile_options(sorvane_logic PRIVATE ${SORVANE_PROGRAM_FLAGS})

add_library(sorvane_win STATIC
    framework/editwindow.cpp
    framework/window.cpp
    framework/newer_api.cpp
    imaging/dibimage.cpp
    meter/meter_face.cpp
    meter/moon_draw.cpp
    meter/layer_surface.cpp
    meter/power_watch.cpp
    mainwin/mainwin.cpp
    mainwin/scale.cpp
    mainwin/fullscreen_watch.cpp
    mainwin/tray_icon.cpp
    mainwin/tray_moon.cpp
    mainwin/fade.cpp
    mainwin/interaction.cpp
    mainwin/alerts.cpp
    settings/fileutil.cpp
    settings/position_file.cpp
    settings/place_watch.cpp
    settings/startup_entry.cpp
    about/aboutwin.cpp
    app/globals.cpp
    app/running_meter.cpp
)
target_compile_options(sorvane_win PRIVATE ${SORVANE_WARNINGS} ${SORVANE_PROGRAM_FLAGS})
target_compile_definitions(sorvane_win PUBLIC WIN32_LEAN_AND_MEAN NOMINMAX)
target_link_libraries(sorvane_win PUBLIC sorvane_logic user32 gdi32 shell32 advapi32 kernel32)

# The version's numbers and text, for the file properties and the usage box.
file(CONFIGURE OUTPUT ${CMAKE_BINARY_DIR}/generated/version.h CONTENT
    "#define SORVANE_VERSION @PROJECT_VERSION_MAJOR@,@PROJECT_VERSION_MINOR@,@PROJECT_VERSION_PATCH@,0
#define SORVANE_VERSION_TEXT \"@PROJECT_VERSION@\"\n")
include_directories(${CMAKE_BINARY_DIR}/generated)

add_library(sorvane_resources OBJECT resources/sorvane.rc)
file(GLOB SORVANE_RESOURCE_FILES CONFIGURE_DEPENDS
    ${CMAKE_SOURCE_DIR}/resources/*.h ${CMAKE_SOURCE_DIR}/resources/*.ico
    ${CMAKE_SOURCE_DIR}/resources/*.bmp ${CMAKE_SOURCE_DIR}/resources/*.manifest)
set_property(SOURCE resources/sorvane.rc APPEND PROPERTY OBJECT_DEPENDS ${SORVANE_RESOURCE_FILES})

# Static runtime: the program imports nothing but the four system DLLs and msvcrt.
set(SORVANE_STATIC_LINK -static -static-libgcc -static-libstdc++)

add_executable(SorvaneMeter WIN32 app/main.cpp $<TARGET_OBJECTS:sorvane_resources>)
target_compile_options(SorvaneMeter PRIVATE ${SORVANE_WARNINGS} ${SORVANE_PROGRAM_FLAGS})
target_link_libraries(SorvaneMeter PRIVATE sorvane_win)
target_link_options(SorvaneMeter PRIVATE ${SORVANE_STATIC_LINK} -mwindows -s -Wl,--gc-sections
    -Wl,--no-insert-timestamp)

add_subdirectory(tests/e2e)
if(CMAKE_SYSTEM_PROCESSOR STREQUAL "x86_64")
    add_subdirectory(tests/wine)
    add_subdirectory(bench/wine)
    add_subdirectory(tools/contact_sheet)
endif()
