# A full chapter (32,767 cards) drawn as a PDF file: the word list and cut-out cards.
add_executable(bench_paper bench_paper.cpp)
target_link_libraries(bench_paper PRIVATE testsupport editorcore Qt6::Gui)
