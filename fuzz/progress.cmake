# libFuzzer target for the progress-file reader. The reader's source is built once more into
# a library of its own with coverage instrumentation, so that the study program keeps an
# uninstrumented copy.
add_library(progressfile_fuzz STATIC ${CMAKE_CURRENT_LIST_DIR}/../src/sessionfiles/progressfile.cpp)
target_include_directories(progressfile_fuzz PUBLIC ${CMAKE_CURRENT_LIST_DIR}/../src/sessionfiles)
target_link_libraries(progressfile_fuzz PUBLIC deck dialogs runtime platformcore Qt6::Core)

if(COMMAND quarnel_fuzzer)
    quarnel_fuzz_instrument(progressfile_fuzz)
    quarnel_fuzzer(fuzz_progress SOURCES ${CMAKE_CURRENT_LIST_DIR}/progress.cpp LIBS progressfile_fuzz)
else()
    target_compile_options(progressfile_fuzz PRIVATE -fsanitize=fuzzer-no-link,address,undefined)
    add_executable(fuzz_progress ${CMAKE_CURRENT_LIST_DIR}/progress.cpp)
    target_link_libraries(fuzz_progress PRIVATE progressfile_fuzz)
    target_compile_options(fuzz_progress PRIVATE -fsanitize=fuzzer,address,undefined)
    target_link_options(fuzz_progress PRIVATE -fsanitize=fuzzer,address,undefined)
endif()
