# The full-deck load run: every step of a study run on 32766 cards, with resident memory.
if(TARGET findui AND TARGET sessionfiles)
    add_executable(bench_load ${CMAKE_CURRENT_LIST_DIR}/bench_load.cpp)
    target_link_libraries(bench_load PRIVATE findui sessionfiles)
endif()
# Start-up time to the chapter window: qr2's main() with its real windows.
if(TARGET qr2app AND TARGET prefs)
    add_executable(bench_startup ${CMAKE_CURRENT_LIST_DIR}/bench_startup.cpp)
    target_link_libraries(bench_startup PRIVATE qr2app platform prefs)
endif()
