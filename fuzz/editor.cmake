# libFuzzer target for the editor's Open, on a headless window.
quarnel_fuzz_instrument(editor editorcore dialogs lettermarkers)
quarnel_fuzzer(fuzz_editor SOURCES ${CMAKE_CURRENT_LIST_DIR}/editor.cpp LIBS editor Qt6::Widgets)
