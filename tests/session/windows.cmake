quarnel_test(tst_frmmain SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_frmmain.cpp LIBS session)
quarnel_test(tst_shuffler SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_shuffler.cpp LIBS session)

# Not a test: the study window in the typing drill and the round summary, left open for the
# screenshot tool.
add_executable(studyshots ${CMAKE_CURRENT_LIST_DIR}/studyshots.cpp)
target_link_libraries(studyshots PRIVATE testsupport session theme review Qt6::Test)
quarnel_test(tst_cardspeech SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_cardspeech.cpp LIBS session)
# Not a test: the card window with the real speech engine, run by scripts/speech-check.sh.
add_executable(speechcheck ${CMAKE_CURRENT_LIST_DIR}/speechcheck.cpp)
target_link_libraries(speechcheck PRIVATE session voice)
set_target_properties(speechcheck PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
