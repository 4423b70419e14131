// One program for the card face: render data, drawing surface, renderer, hover controls.
#include "rendertestsupport.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication a(argc, argv);
    int failed = 0;
    failed += runRDataTests(argc, argv);
    failed += runMemDcTests(argc, argv);
    failed += runRendererTests(argc, argv);
    failed += runHoverControlTests(argc, argv);
    return failed == 0 ? 0 : 1;
}
