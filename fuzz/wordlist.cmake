# libFuzzer target for the word-list reader.
quarnel_fuzz_instrument(wordlist)
quarnel_fuzzer(fuzz_wordlist SOURCES ${CMAKE_CURRENT_LIST_DIR}/wordlist.cpp LIBS wordlist)
