# The splash window, the About window, the product-page opener and the command-line switches.
quarnel_test(tst_splashabout SOURCES tst_splashabout.cpp LIBS splashui platform)

# The installed tree: programs, sample chapters, menu entries and links, installed into a
# prefix of the test's own and then moved, must still start and find each other.
add_executable(tst_appdir tst_appdir.cpp)
target_link_libraries(tst_appdir PRIVATE Qt6::Core)
add_test(NAME tst_install
    COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/install_check.sh ${CMAKE_COMMAND} ${CMAKE_BINARY_DIR} $<TARGET_FILE:tst_appdir>)
set_tests_properties(tst_install PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LC_ALL=C.UTF-8" TIMEOUT 300)
