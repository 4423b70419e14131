// The owner-drawn button, check box and link: looks, hover tracking, clicks, keys, access.
#include "cmemdc.h"
#include "qexcheck.h"
#include "qexflatbutton.h"
#include "qexhl.h"
#include "rendertestsupport.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QApplication>
#include <QEnterEvent>
#include <QtTest>
#include <memory>

namespace {
void sendMove(QWidget* w, QPoint pos) {
    QMouseEvent e(QEvent::MouseMove, pos, w->mapToGlobal(pos), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

void sendClick(QWidget* w, QPoint pos) {
    const QPoint global = w->mapToGlobal(pos);
    QMouseEvent press(QEvent::MouseButtonPress, pos, global, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(w, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, pos, global, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(w, &release);
}

void sendLeave(QWidget* w) {
    QEvent e(QEvent::Leave);
    QApplication::sendEvent(w, &e);
}

QImage look(QWidget* w) { return w->grab().toImage().convertToFormat(QImage::Format_RGB32); }

bool hasPixel(const QImage& img, QRgb colour) {
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (pixelAt(img, x, y) == colour)
                return true;
    return false;
}
} // namespace

class TestHoverControls : public QObject {
    Q_OBJECT
private slots:
    void captionDefaultsToName() {
        qexFlatButton b;
        b.setObjectName("Command1");
        QCOMPARE(b.Caption(), QString("Command1"));
        b.setCaption("Shuffle");
        QCOMPARE(b.Caption(), QString("Shuffle"));
        QCOMPARE(b.property("Caption").toString(), QString("Shuffle"));
    }

    void disabledButtonIsGreyOnBlackAndInert() {
        qexFlatButton b;
        b.resize(80, 24);
        b.setCaption("Next");
        b.setEnabled(false);
        QSignalSpy clicks(&b, &qexFlatButton::Click);
        sendMove(&b, QPoint(40, 12));
        QCOMPARE(b.cursor().shape(), Qt::ArrowCursor);
        sendClick(&b, QPoint(40, 12));
        b.click();
        QCOMPARE(clicks.count(), 0);
        const QImage img = look(&b);
        QCOMPARE(pixelAt(img, 0, 0), qRgb(128, 128, 128));
        QCOMPARE(pixelAt(img, 79, 23), qRgb(128, 128, 128));
        QCOMPARE(pixelAt(img, 3, 3), qRgb(0, 0, 0));
        QVERIFY(hasPixel(img, qRgb(128, 128, 128)));
        // Caption pixels are grey: nothing brighter than the grey appears.
        for (int y = 1; y < 23; ++y)
            for (int x = 1; x < 79; ++x)
                QVERIFY(qRed(pixelAt(img, x, y)) <= 128);
    }

    void hoveredColours_data() {
        QTest::addColumn<bool>("hovered");
        QTest::addColumn<QRgb>("back");
        QTest::addColumn<QRgb>("outline");
        QTest::newRow("resting") << false << qRgb(0, 0, 255) << qRgb(0x11, 0x22, 0x33);
        QTest::newRow("hovered") << true << qRgb(255, 128, 0) << qRgb(0x44, 0x55, 0x66);
    }
    void hoveredColours() {
        QFETCH(bool, hovered);
        QFETCH(QRgb, back);
        QFETCH(QRgb, outline);
        qexFlatButton b;
        b.resize(80, 24);
        b.setCaption("Go");
        b.setForecolor(0x332211);
        b.setForecolorMouse(0x665544);
        QSignalSpy over(&b, &qexFlatButton::MouseOver);
        if (hovered) {
            sendMove(&b, QPoint(10, 10));
            sendMove(&b, QPoint(11, 10));
            QCOMPARE(over.count(), 2);
        }
        QCOMPARE(b.isHovered(), hovered);
        QCOMPARE(b.cursor().shape(), hovered ? Qt::PointingHandCursor : Qt::ArrowCursor);
        const QImage img = look(&b);
        QCOMPARE(pixelAt(img, 0, 0), outline);
        QCOMPARE(pixelAt(img, 2, 2), back);
        QVERIFY(hasPixel(img, outline));
    }

    void leavingRaisesMouseOut() {
        qexFlatButton b;
        b.resize(80, 24);
        QSignalSpy out(&b, &qexFlatButton::MouseOut);
        sendMove(&b, QPoint(5, 5));
        QVERIFY(b.isHovered());
        sendMove(&b, QPoint(-3, 5));
        QCOMPARE(out.count(), 1);
        QVERIFY(!b.isHovered());
        QCOMPARE(b.cursor().shape(), Qt::ArrowCursor);
        sendMove(&b, QPoint(90, 5));
        QCOMPARE(out.count(), 2);
        sendMove(&b, QPoint(5, 5));
        sendLeave(&b);
        QCOMPARE(out.count(), 3);
        QVERIFY(!b.isHovered());
    }

    void clickClearsHover() {
        qexFlatButton b;
        b.resize(80, 24);
        QSignalSpy clicks(&b, &qexFlatButton::Click);
        sendMove(&b, QPoint(5, 5));
        sendClick(&b, QPoint(5, 5));
        QCOMPARE(clicks.count(), 1);
        QVERIFY(!b.isHovered());
        // A release outside the control is no click.
        QMouseEvent press(QEvent::MouseButtonPress, QPointF(5, 5), QPointF(5, 5), Qt::LeftButton, Qt::LeftButton,
                          Qt::NoModifier);
        QApplication::sendEvent(&b, &press);
        QMouseEvent release(QEvent::MouseButtonRelease, QPointF(200, 5), QPointF(200, 5), Qt::LeftButton,
                            Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(&b, &release);
        QCOMPARE(clicks.count(), 1);
    }

    void checkTogglesBeforeClick() {
        qexCheck c;
        c.resize(160, 20);
        c.setCaption("I had trouble with this card");
        QList<bool> seen;
        connect(&c, &qexCheck::Click, this, [&] { seen << c.Checked(); });
        sendClick(&c, QPoint(5, 5));
        sendClick(&c, QPoint(5, 5));
        QCOMPARE(seen, QList<bool>({true, false}));
        c.setEnabled(false);
        sendClick(&c, QPoint(5, 5));
        c.click();
        QCOMPARE(seen.size(), 2);
        QVERIFY(!c.Checked());
    }

    void checkBoxLook() {
        qexCheck c;
        c.resize(160, 20);
        c.setCaption(QString());
        c.setForecolor(0x00FF00);
        const QImage unchecked = look(&c);
        // Box from (2, 2) to (18, 18), outlined in the back colour mixed with white.
        const QRgb outline = pixelOf(cMemDC::pvAlphaBlend(0xFF0000, 0xFFFFFF, 0.75));
        QCOMPARE(pixelAt(unchecked, 2, 2), outline);
        QCOMPARE(pixelAt(unchecked, 17, 17), outline);
        QCOMPARE(pixelAt(unchecked, 10, 10), qRgb(0, 0, 255));
        QCOMPARE(pixelAt(unchecked, 0, 0), qRgb(0, 0, 255));
        c.setChecked(true);
        const QImage checked = look(&c);
        QCOMPARE(pixelAt(checked, 10, 10), qRgb(0, 255, 0));
        QCOMPARE(pixelAt(checked, 2, 2), outline);
    }

    void linkWidthFollowsCaption() {
        qexHL l;
        l.resize(10, 16);
        l.setCaption("a");
        const int narrow = l.width();
        l.setCaption("a much longer link caption");
        QVERIFY(l.width() > narrow);
        cMemDC dc;
        dc.init(1, 1, &l);
        QCOMPARE(l.width(), dc.TextWidth("a much longer link caption"));
        QSignalSpy clicks(&l, &qexHL::Click);
        sendClick(&l, QPoint(2, 2));
        QCOMPARE(clicks.count(), 1);
    }

    void keyDownCodes_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<int>("code");
        QTest::addColumn<int>("shift");
        QTest::newRow("right arrow") << int(Qt::Key_Right) << 0 << 39 << 0;
        QTest::newRow("left arrow") << int(Qt::Key_Left) << 0 << 37 << 0;
        QTest::newRow("return") << int(Qt::Key_Return) << 0 << 13 << 0;
        QTest::newRow("escape") << int(Qt::Key_Escape) << 0 << 27 << 0;
        QTest::newRow("shift a") << int(Qt::Key_A) << int(Qt::ShiftModifier) << 65 << 1;
        QTest::newRow("ctrl z") << int(Qt::Key_Z) << int(Qt::ControlModifier) << 90 << 2;
        QTest::newRow("f1") << int(Qt::Key_F1) << 0 << 112 << 0;
    }
    void keyDownCodes() {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(int, code);
        QFETCH(int, shift);
        qexFlatButton b;
        qexCheck c;
        QSignalSpy bs(&b, &qexFlatButton::KeyDown);
        QSignalSpy cs(&c, &qexCheck::KeyDown);
        QTest::keyClick(&b, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        QTest::keyClick(&c, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        // A held modifier is a key of its own (16 Shift, 17 Ctrl) and comes first.
        const int expected = modifiers ? 2 : 1;
        QCOMPARE(bs.count(), expected);
        QCOMPARE(bs.last().at(0).toInt(), code);
        QCOMPARE(bs.last().at(1).toInt(), shift);
        if (modifiers)
            QCOMPARE(bs.first().at(0).toInt(), modifiers == int(Qt::ShiftModifier) ? 16 : 17);
        QCOMPARE(cs.count(), expected);
        QCOMPARE(cs.last().at(0).toInt(), code);
    }

    // Space on the focused control is a click, not a key for the window; the dotted focus mark
    // in the text colour is drawn while the control has the focus, on the frame's edge only.
    void keyboardFocus_data() {
        QTest::addColumn<QString>("kind");
        // The focus frame's distance from the control's left and top, and right and bottom edges.
        QTest::addColumn<int>("inset");
        QTest::addColumn<int>("insetFar");
        QTest::newRow("button") << "button" << 2 << 3;
        QTest::newRow("check box") << "check" << 0 << 0;
        QTest::newRow("link") << "link" << 0 << 0;
    }
    void keyboardFocus() {
        QFETCH(QString, kind);
        QFETCH(int, inset);
        QFETCH(int, insetFar);
        QWidget window;
        window.resize(240, 60);
        QWidget* c = kind == "button"  ? static_cast<QWidget*>(new qexFlatButton(&window))
                     : kind == "check" ? static_cast<QWidget*>(new qexCheck(&window))
                                       : static_cast<QWidget*>(new qexHL(&window));
        c->setProperty("Caption", QString("Next"));
        c->setProperty("Forecolor", 0x00FF00);
        c->setGeometry(10, 10, 120, 30);
        c->setFocusPolicy(Qt::TabFocus);
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        c->clearFocus(); // the window handed it the focus when it became active
        QVERIFY(!c->hasFocus());
        const QImage plain = look(c);

        c->setFocus();
        QVERIFY(c->hasFocus());
        const QImage focused = look(c);
        const QRect frame = c->rect().adjusted(inset, inset, -insetFar, -insetFar);
        int marked = 0;
        for (int y = 0; y < plain.height(); ++y)
            for (int x = 0; x < plain.width(); ++x) {
                if (pixelAt(plain, x, y) == pixelAt(focused, x, y))
                    continue;
                ++marked;
                const bool onEdge = ((x == frame.left() || x == frame.right()) && y >= frame.top() && y <= frame.bottom()) ||
                                    ((y == frame.top() || y == frame.bottom()) && x >= frame.left() && x <= frame.right());
                QVERIFY2(onEdge, qPrintable(QString("mark at %1,%2").arg(x).arg(y)));
                QCOMPARE(pixelAt(focused, x, y), pixelOf(0x00FF00));
            }
        // Dotted: about every other pixel of the edge.
        const int edge = 2 * (frame.width() + frame.height());
        QVERIFY2(marked > edge / 4 && marked < edge * 3 / 4, qPrintable(QString::number(marked)));

        c->clearFocus();
        QCOMPARE(look(c), plain);

        c->setFocus();
        QSignalSpy clicks(c, SIGNAL(Click()));
        std::unique_ptr<QSignalSpy> keys;
        if (kind != "link")
            keys = std::make_unique<QSignalSpy>(c, SIGNAL(KeyDown(int, int)));
        QTest::keyClick(c, Qt::Key_Space);
        QCOMPARE(clicks.count(), 1);
        if (keys)
            QCOMPARE(keys->count(), 0);
        if (kind == "check")
            QVERIFY(c->property("Checked").toBool());
    }

    void accessibility() {
        QWidget window;
        auto* b = new qexFlatButton(&window);
        b->setCaption("Next Card");
        auto* c = new qexCheck(&window);
        c->setCaption("Show only trouble cards");
        auto* l = new qexHL(&window);
        l->setCaption("product page");
        QAccessibleInterface* bi = QAccessible::queryAccessibleInterface(b);
        QAccessibleInterface* ci = QAccessible::queryAccessibleInterface(c);
        QAccessibleInterface* li = QAccessible::queryAccessibleInterface(l);
        QVERIFY(bi && ci && li);
        QCOMPARE(bi->role(), QAccessible::Button);
        QCOMPARE(ci->role(), QAccessible::CheckBox);
        QCOMPARE(li->role(), QAccessible::Link);
        QCOMPARE(bi->text(QAccessible::Name), QString("Next Card"));
        QCOMPARE(ci->text(QAccessible::Name), QString("Show only trouble cards"));
        QVERIFY(ci->state().checkable);
        QVERIFY(!ci->state().checked);

        QSignalSpy clicks(b, &qexFlatButton::Click);
        QAccessibleActionInterface* ba = bi->actionInterface();
        QVERIFY(ba);
        QVERIFY(ba->actionNames().contains(QAccessibleActionInterface::pressAction()));
        ba->doAction(QAccessibleActionInterface::pressAction());
        QCOMPARE(clicks.count(), 1);
        ci->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
        QVERIFY(ci->state().checked);
        b->setEnabled(false);
        QVERIFY(bi->state().disabled);
        QVERIFY(ba->actionNames().isEmpty());
    }
};

int runHoverControlTests(int argc, char** argv) {
    TestHoverControls t;
    return QTest::qExec(&t, argc, argv);
}

#include "tst_hovercontrols.moc"
