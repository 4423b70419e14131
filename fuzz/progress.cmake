# libFuzzer target for the progress-file reader (clang only). The reader's source is built
# once more with coverage instrumentation, so the fuzzer sees its branches; the rest of the
# program is linked as it is.
add_library(progressfile_fuzz STATIC ${CMAKE_CURRENT_LIST_DIR}/../src/session/progressfile.cpp)
target_include_directories(progressfile_fuzz PUBLIC ${CMAKE_CURRENT_LIST_DIR}/../src/session)
target_link_libraries(progressfile_fuzz PUBLIC deck dialogs runtime loader platformcore Qt6::Core)
target_compile_options(progressfile_fuzz PRIVATE -fsanitize=fuzzer-no-link,address,undefined)

add_executable(fuzz_progress ${CMAKE_CURRENT_LIST_DIR}/progress.cpp)
target_link_libraries(fuzz_progress PRIVATE progressfile_fuzz)
target_compile_options(fuzz_progress PRIVATE -fsanitize=fuzzer,address,undefined)
target_link_options(fuzz_progress PRIVATE -fsanitize=fuzzer,address,undefined)
