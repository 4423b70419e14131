# libFuzzer target for the KVTML reader and writer.
quarnel_fuzz_instrument(kvtml)
quarnel_fuzzer(fuzz_kvtml SOURCES ${CMAKE_CURRENT_LIST_DIR}/kvtml.cpp LIBS kvtml)
