# libFuzzer target for the study program's chapter loader (LoadChapterFile into the deck).
quarnel_fuzz_instrument(deck lettermarkers runtime)
quarnel_fuzzer(fuzz_chapter SOURCES ${CMAKE_CURRENT_LIST_DIR}/chapter.cpp LIBS deck)
