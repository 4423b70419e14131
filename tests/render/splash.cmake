# The splash window, the About window, the product-page opener and the command-line switches.
quarnel_test(tst_splashabout SOURCES tst_splashabout.cpp LIBS splashui)
