// The splash window and its painter, the About window, the product-page opener and the
// informational command-line switches.
#include "appstate.h"
#include "frmabout.h"
#include "frmsplash.h"
#include "infooptions.h"
#include "ivordalite.h"
#include "messagelog.h"
#include "modmain.h"
#include "productpage.h"
#include "qexhl.h"
#include "splashpainter.h"
#include "splashpictures.h"
#include "qtservices.h"
#include "testsupport.h"
#include "windowtimers.h"

#include <QLabel>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <QtTest>

namespace {
constexpr QRgb kBlack = 0xFF000000u;
constexpr QRgb kSilverPixel = 0xFFC0C0C0u;
const QString kAddress = QString::fromLatin1(ProductPage::kAddress);

QImage shown() {
    auto* view = qobject_cast<CardView*>(splashWindow());
    return view ? view->shownImage() : QImage();
}

QRgb px(const QImage& img, int x, int y) {
    return img.pixel(x, y) | 0xFF000000u;
}

int countNonBlack(const QImage& img, const QRect& area) {
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            n += px(img, x, y) != kBlack;
    return n;
}

void flushDeletes() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
}
} // namespace

class TestSplashAbout : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void statusLineShowsLogMessages_data();
    void statusLineShowsLogMessages();
    void highPriorityMessageGoesToBox();
    void frameCounterWrapsAndTimerRuns();
    void startAndStopLogLines();
    void paintingSkippedWhileShuttingDown();
    void splashPixels();
    void unloadRemovesWindow();

    void aboutLines_data();
    void aboutLines();
    void aboutWindowIsModelessAndSingle();
    void aboutLinkOpensProductPage();
    void escapeClosesAbout();

    void splitCommand_data();
    void splitCommand();
    void productPageLogLines_data();
    void productPageLogLines();
    void noBrowserIsToldToUser();
    void noBrowserButOpenerDoesNothingVisible_data();
    void noBrowserButOpenerDoesNothingVisible();

    void infoOptions_data();
    void infoOptions();

private:
    std::unique_ptr<ScriptedPrompter> m_prompter;
    std::unique_ptr<RecordingShell> m_shell;
    std::unique_ptr<QTemporaryDir> m_xdg;
};

void TestSplashAbout::init() {
    AppState::reset();
    wireSplashHooks(app().hooks);
    m_prompter = std::make_unique<ScriptedPrompter>();
    m_shell = std::make_unique<RecordingShell>();
    ProductPage::setHandlerLookup({});
}

void TestSplashAbout::cleanup() {
    app().splashStatus = false;
    UnloadSplash();
    if (frmAbout* about = aboutWindow())
        about->close();
    flushDeletes();
    QVERIFY2(m_prompter->unexpected.isEmpty(), qPrintable(m_prompter->unexpected.join(QLatin1String(", "))));
    m_prompter.reset();
    m_shell.reset();
    ProductPage::setHandlerLookup({});
    if (m_xdg) {
        qunsetenv("XDG_DATA_HOME");
        qunsetenv("XDG_DATA_DIRS");
        m_xdg.reset();
    }
}

// ---- splash -------------------------------------------------------------------------

void TestSplashAbout::statusLineShowsLogMessages_data() {
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("shown");
    QTest::newRow("line end") << QStringLiteral("Bringing up the system ../n")
                              << QStringLiteral("Bringing up the system ..");
    QTest::newRow("markers inside") << QStringLiteral("a/tb/nc/t/n") << QStringLiteral("abc");
    QTest::newRow("leading markers") << QStringLiteral("/n/t .. client detected")
                                     << QStringLiteral(" .. client detected");
    QTest::newRow("no markers") << QStringLiteral("VORDA Alive") << QStringLiteral("VORDA Alive");
    QTest::newRow("other slashes stay") << QStringLiteral("path a/b/x/n") << QStringLiteral("path a/b/x");
}

void TestSplashAbout::statusLineShowsLogMessages() {
    QFETCH(QString, message);
    QFETCH(QString, shown);
    ShowSplash();
    app().splashStatus = true;
    SetSplashStatus(QString());
    const QImage blank = ::shown();
    LogMessage(message, 3);
    QCOMPARE(splashPainter().status(), shown);
    // Painted at once: the bottom strip, where the status line sits, changed.
    const QImage now = ::shown();
    const QRect strip(3, frmSplash::kHeight - 16, 200, 13);
    QVERIFY(countNonBlack(now, strip) > countNonBlack(blank, strip));
}

void TestSplashAbout::highPriorityMessageGoesToBox() {
    ShowSplash();
    app().splashStatus = true;
    LogMessage(QStringLiteral("before/n"), 3);
    m_prompter->expect(MsgResult::Ok, QStringLiteral("High Priority Message Handler"));
    LogMessage(QStringLiteral("The program cannot start/n"), 3, true);
    QCOMPARE(m_prompter->boxes.size(), 1);
    QCOMPARE(m_prompter->boxes[0].icon, MsgIcon::Critical);
    QCOMPARE(m_prompter->boxes[0].text, QStringLiteral("The program cannot start/n"));
    QCOMPARE(splashPainter().status(), QStringLiteral("before"));
}

void TestSplashAbout::frameCounterWrapsAndTimerRuns() {
    ShowSplash();
    QCOMPARE(splashPainter().frame(), qint16(1));
    QVERIFY(WindowTimers::isActive(splashWindow(), SplashPainter::kTimerId));
    QCOMPARE(WindowTimers::interval(splashWindow(), SplashPainter::kTimerId), 45);
    // Tick by hand from here: the real timer must not move the frame under the test.
    WindowTimers::kill(splashWindow(), SplashPainter::kTimerId);

    const QImage atOne = shown();
    QList<qint16> seen;
    QList<QImage> pictures;
    for (int i = 0; i < 8; ++i) {
        splashPainter().tick();
        seen.append(splashPainter().frame());
        pictures.append(shown());
    }
    QCOMPARE(seen, (QList<qint16>{2, 3, 4, 5, 6, 7, 0, 1}));
    // Every frame shows something else; after eight ticks the picture is the first again.
    for (int i = 0; i < 7; ++i)
        QVERIFY2(pictures[i] != pictures[i + 1], qPrintable(QString::number(i)));
    QCOMPARE(pictures[7], atOne);
}

void TestSplashAbout::startAndStopLogLines() {
    LogRecorder log;
    ShowSplash();
    const int started = log.indexOf(QStringLiteral(" .. Started the Splash Screen's renderer/n"));
    QVERIFY(started >= 0);
    QVERIFY(log.indexOf(QStringLiteral(" .. Splash Screen redraw set to 45msec/n"), started + 1) > started);
    QVERIFY(splashPainter().isPainting());
    QCOMPARE(splashPainter().version(), VersionString());

    StopSplashPainting();
    QCOMPARE(log.lines.last(), QStringLiteral(" .. Splash Screen renderer shut down/n"));
    QVERIFY(!splashPainter().isPainting());
    QVERIFY(!WindowTimers::isActive(splashWindow(), SplashPainter::kTimerId));
    QVERIFY(splashWindow()); // stopped, not unloaded
}

void TestSplashAbout::paintingSkippedWhileShuttingDown() {
    ShowSplash();
    WindowTimers::kill(splashWindow(), SplashPainter::kTimerId);
    SetSplashStatus(QStringLiteral("running"));
    const QImage before = shown();
    app().shutdownSignal = true;
    SetSplashStatus(QStringLiteral("a late message that must not show"));
    splashPainter().tick();
    QCOMPARE(shown(), before);
    app().shutdownSignal = false;
    splashPainter().paint();
    QVERIFY(shown() != before);
}

void TestSplashAbout::splashPixels() {
    ShowSplash();
    WindowTimers::kill(splashWindow(), SplashPainter::kTimerId);
    const QImage img = shown();
    const int w = frmSplash::kWidth, h = frmSplash::kHeight;
    QCOMPARE(img.size(), QSize(w, h));
    // Black surface, a one-pixel silver outline one pixel in, black inside it.
    QCOMPARE(px(img, 0, 0), kBlack);
    QCOMPARE(px(img, w - 1, h - 1), kBlack);
    QCOMPARE(px(img, 1, 1), kSilverPixel);
    QCOMPARE(px(img, w / 2, 1), kSilverPixel);
    QCOMPARE(px(img, 1, h / 2), kSilverPixel);
    QCOMPARE(px(img, w - 2, h / 2), kSilverPixel);
    QCOMPARE(px(img, w / 2, h - 2), kSilverPixel);
    QCOMPARE(px(img, 2, h / 2), kBlack);
    QCOMPARE(px(img, w - 3, h / 2), kBlack);

    // The title picture, centred.
    const QImage& title = SplashPictures::title();
    const QRect titleArea(w / 2 - title.width() / 2, h / 2 - title.height() / 2, title.width(), title.height());
    QCOMPARE(img.copy(titleArea).convertToFormat(QImage::Format_RGB32), title.convertToFormat(QImage::Format_RGB32));

    // The emblem at (2, 2), with its magenta corners shown as black; no magenta anywhere.
    const QImage& emblem = SplashPictures::emblem();
    QCOMPARE(px(emblem, 0, 0), SplashPictures::kTransparent);
    QCOMPARE(px(img, 2, 2), kBlack);
    QVERIFY(countNonBlack(img, QRect(2, 2, emblem.width(), emblem.height())) > emblem.width() * emblem.height() / 4);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            QVERIFY2(px(img, x, y) != SplashPictures::kTransparent, qPrintable(QStringLiteral("%1,%2").arg(x).arg(y)));
}

void TestSplashAbout::unloadRemovesWindow() {
    ShowSplash();
    QPointer<QWidget> w = splashWindow();
    QVERIFY(w);
    QCOMPARE(w->objectName(), QStringLiteral("frmSplash"));
    QVERIFY(w->isVisible());
    LogRecorder log;
    UnloadSplash();
    QVERIFY(!splashWindow());
    QVERIFY(!splashPainter().isPainting());
    QVERIFY(log.contains(QStringLiteral(" .. Splash Screen renderer shut down/n")));
    flushDeletes();
    QVERIFY(w.isNull());
    // The loader's calls after the splash is gone do no harm.
    SetSplashStatus(QStringLiteral("after"));
    StopSplashPainting();
}

// ---- About ---------------------------------------------------------------------------

void TestSplashAbout::aboutLines_data() {
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("line");
    const QStringList expected{
        QStringLiteral("Quarnel 2007"),
        QStringLiteral("version 1.15 [build 281] "),
        QStringLiteral("Built on the VORDA Platform v3.44 of 16Jan2010"),
        QStringLiteral("This is a Quarnel program."),
        QStringLiteral("This program uses the GDI for card rendering"),
        QString(),
        QStringLiteral("Lines of Code: 5684"),
        QStringLiteral("Lines of Comments: 812"),
        QStringLiteral("Blank Lines: 609"),
        QStringLiteral("Total Lines: 7105"),
        QStringLiteral("Project start date: 14April2007"),
        QString(),
        QStringLiteral("This program is free software under the GNU General Public License, version 3 or later."),
    };
    for (int i = 0; i < expected.size(); ++i)
        QTest::newRow(qPrintable(QStringLiteral("line %1").arg(i + 1))) << i << expected[i];
}

void TestSplashAbout::aboutLines() {
    QFETCH(int, index);
    QFETCH(QString, line);
    ShowAboutWindow();
    frmAbout* about = aboutWindow();
    QVERIFY(about);
    auto* label = about->findChild<QLabel*>(QStringLiteral("Label1"));
    QVERIFY(label);
    const QStringList lines = label->text().split(QLatin1Char('\n'));
    QCOMPARE(lines.size(), 13);
    QCOMPARE(lines.at(index), line);
    QCOMPARE(lines.at(2), QStringLiteral("Built on the ") + ivordalite::version());
}

void TestSplashAbout::aboutWindowIsModelessAndSingle() {
    ShowAboutWindow();
    QPointer<frmAbout> first = aboutWindow();
    QVERIFY(first);
    QCOMPARE(first->objectName(), QStringLiteral("frmAbout"));
    QVERIFY(first->isVisible());
    QCOMPARE(first->windowModality(), Qt::NonModal);
    QCOMPARE(first->picture()->pixmap().size(), SplashPictures::title().size());
    ShowAboutWindow();
    QCOMPARE(aboutWindow(), first.data());
    const QWidgetList tops = QApplication::topLevelWidgets();
    QCOMPARE(std::count_if(tops.begin(), tops.end(),
                           [](QWidget* w) { return w->objectName() == QLatin1String("frmAbout") && w->isVisible(); }),
             1);
    first->close();
    flushDeletes();
    QVERIFY(first.isNull());
    QVERIFY(!aboutWindow());
}

// Escape closes the About window, as its OK button does.
void TestSplashAbout::escapeClosesAbout() {
    ShowAboutWindow();
    QPointer<frmAbout> w = aboutWindow();
    QVERIFY(w);
    QVERIFY(QTest::qWaitForWindowActive(w));
    QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : w.data(), Qt::Key_Escape);
    flushDeletes();
    QVERIFY(w.isNull());
    QVERIFY(!aboutWindow());
}

void TestSplashAbout::aboutLinkOpensProductPage() {
    ProductPage::setHandlerLookup([] { return QString(); });
    ShowAboutWindow();
    auto* link = aboutWindow()->findChild<qexHL*>(QStringLiteral("HL1"));
    QVERIFY(link);
    QVERIFY(link->isVisible());
    QVERIFY(link->width() > 0);
    LogRecorder log;
    QTest::mouseClick(link, Qt::LeftButton, {}, QPoint(2, link->height() / 2));
    QCOMPARE(m_shell->urls, QStringList{kAddress});
    QVERIFY(log.contains(QStringLiteral("args: ") + kAddress));
}

// ---- product page ----------------------------------------------------------------------

void TestSplashAbout::splitCommand_data() {
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("program");
    QTest::addColumn<QString>("arguments");
    const QString a = kAddress;
    QTest::newRow("desktop entry") << QStringLiteral("firefox-esr %u") << QStringLiteral("firefox-esr") << a;
    QTest::newRow("path and options") << QStringLiteral("/usr/lib/chromium/chromium --new-window %U")
                                      << QStringLiteral("/usr/lib/chromium/chromium")
                                      << QStringLiteral("--new-window ") + a;
    QTest::newRow("quoted program") << QStringLiteral("\"C:\\Program Files\\Browser\\b.exe\" -osint -url \"%1\"")
                                    << QStringLiteral("\"C:\\Program Files\\Browser\\b.exe\"")
                                    << QStringLiteral("-osint -url \"") + a + QStringLiteral("\"");
    QTest::newRow("unquoted with quoted argument") << QStringLiteral("browser \"%1\"") << QStringLiteral("browser")
                                                   << QStringLiteral("\"") + a + QStringLiteral("\"");
    QTest::newRow("other field codes dropped")
        << QStringLiteral("browser --class %c %i %k %u") << QStringLiteral("browser") << QStringLiteral("--class ") + a;
    QTest::newRow("escaped percent") << QStringLiteral("browser --zoom=100%% %u") << QStringLiteral("browser")
                                     << QStringLiteral("--zoom=100% ") + a;
    QTest::newRow("no arguments") << QStringLiteral("  browser  ") << QStringLiteral("browser") << QString();
    QTest::newRow("unterminated quote") << QStringLiteral("\"browser %u") << QStringLiteral("\"browser") << a;
    QTest::newRow("empty") << QString() << QString() << QString();
}

void TestSplashAbout::splitCommand() {
    QFETCH(QString, command);
    QFETCH(QString, program);
    QFETCH(QString, arguments);
    const ProductPage::Command c = ProductPage::splitCommand(command, kAddress);
    QCOMPARE(c.program, program);
    QCOMPARE(c.arguments, arguments);
}

void TestSplashAbout::productPageLogLines_data() {
    QTest::addColumn<QString>("handler"); // what the desktop names as its web handler
    QTest::addColumn<QString>("entry");   // the handler's desktop entry; empty: none on disk
    QTest::addColumn<bool>("shellOpens");
    QTest::addColumn<QStringList>("lines");
    const QString a = kAddress;
    const QString browserEntry =
        QStringLiteral("[Desktop Entry]\nType=Application\nName=Test\nExec=/opt/tb/browser --new-window %u\n"
                       "[Desktop Action private]\nExec=/opt/tb/browser --private %u\n");
    QTest::newRow("handler found") << QStringLiteral("testbrowser.desktop") << browserEntry << true
                                   << QStringList{QStringLiteral("file: /opt/tb/browser"),
                                                  QStringLiteral("args: --new-window ") + a};
    // The browser can't be started, nor can the desktop's opener take the page: the user is
    // told (the product page test below).
    QTest::newRow("handler found, nothing starts")
        << QStringLiteral("testbrowser.desktop") << browserEntry << false
        << QStringList{QStringLiteral("file: /opt/tb/browser"), QStringLiteral("args: --new-window ") + a,
                       QStringLiteral("warning: the browser couldn't be started: /opt/tb/browser"),
                       QStringLiteral("file: xdg-open"), QStringLiteral("args: ") + a,
                       QStringLiteral("warning: the product page couldn't be opened: ") + a};
    QTest::newRow("no handler") << QString() << QString() << true
                                << QStringList{QStringLiteral("couldn't open the top level registry key"),
                                               QStringLiteral("file: xdg-open"), QStringLiteral("args: ") + a};
    QTest::newRow("handler without entry")
        << QStringLiteral("gone.desktop") << QString() << true
        << QStringList{QStringLiteral("warning: couldn't open the query registry for browser key"),
                       QStringLiteral("file: xdg-open"), QStringLiteral("args: ") + a};
    QTest::newRow("entry without Exec") << QStringLiteral("broken.desktop")
                                        << QStringLiteral("[Desktop Entry]\nType=Application\nName=Broken\n") << true
                                        << QStringList{QStringLiteral(
                                                           "warning: couldn't open the query registry for browser key"),
                                                       QStringLiteral("file: xdg-open"), QStringLiteral("args: ") + a};
    QTest::newRow("shell fails") << QString() << QString() << false
                                 << QStringList{QStringLiteral("couldn't open the top level registry key"),
                                                QStringLiteral("file: xdg-open"), QStringLiteral("args: ") + a,
                                                QStringLiteral("warning: the product page couldn't be opened: ") + a};
}

void TestSplashAbout::productPageLogLines() {
    QFETCH(QString, handler);
    QFETCH(QString, entry);
    QFETCH(bool, shellOpens);
    QFETCH(QStringList, lines);
    // Desktop entries are looked up only in a folder of this test's own.
    m_xdg = std::make_unique<QTemporaryDir>();
    QVERIFY(m_xdg->isValid());
    QVERIFY(QDir(m_xdg->path()).mkpath(QStringLiteral("home/applications")));
    QVERIFY(QDir(m_xdg->path()).mkpath(QStringLiteral("system")));
    qputenv("XDG_DATA_HOME", QFile::encodeName(m_xdg->filePath(QStringLiteral("home"))));
    qputenv("XDG_DATA_DIRS", QFile::encodeName(m_xdg->filePath(QStringLiteral("system"))));
    if (!entry.isEmpty()) {
        QFile f(m_xdg->filePath(QStringLiteral("home/applications/")) + handler);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(entry.toUtf8());
    }
    ProductPage::setHandlerLookup([handler] { return handler; });
    m_shell->result = shellOpens;
    if (!shellOpens)
        m_prompter->expect(MsgResult::Ok, QStringLiteral("Product Website"));

    LogRecorder log;
    OpenProductPage();
    QCOMPARE(log.lines, lines);
    // The program named in the log is the one started: the browser found, else the opener.
    const bool browserFound = lines.first() == QLatin1String("file: /opt/tb/browser");
    QCOMPARE(m_shell->programs, browserFound ? QStringList{QStringLiteral("/opt/tb/browser")} : QStringList());
    if (browserFound)
        QCOMPARE(m_shell->programArgs.first(), (QStringList{QStringLiteral("--new-window"), kAddress}));
    QCOMPARE(m_shell->urls, browserFound && shellOpens ? QStringList() : QStringList{kAddress});
    QCOMPARE(m_prompter->boxes.size(), shellOpens ? 0 : 1);
}

// No browser and the desktop's opener fails (no handler for web pages): the user is told which
// page couldn't be opened, instead of a click that does nothing.
void TestSplashAbout::noBrowserIsToldToUser() {
    ProductPage::setHandlerLookup([] { return QString(); });
    m_shell->result = false;
    m_prompter->expect(MsgResult::Ok, QStringLiteral("Product Website"));
    ShowAboutWindow();
    auto* link = aboutWindow()->findChild<qexHL*>(QStringLiteral("HL1"));
    QVERIFY(link);
    QTest::mouseClick(link, Qt::LeftButton, {}, QPoint(2, link->height() / 2));
    QCOMPARE(m_prompter->boxes.size(), 1);
    QCOMPARE(m_prompter->boxes[0].icon, MsgIcon::Exclamation);
    QVERIFY2(m_prompter->boxes[0].text.contains(kAddress), qPrintable(m_prompter->boxes[0].text));
    QVERIFY(m_shell->programs.isEmpty());
}

// A desktop without a browser still has the opener (xdg-open): it starts, finds no way to
// show the page, says so on the terminal only and ends with a failure. Its exit status
// decides, through the on-screen shell: the user gets the box with the address to copy.
void TestSplashAbout::noBrowserButOpenerDoesNothingVisible_data() {
    QTest::addColumn<int>("exitCode");
    QTest::newRow("no method available") << 3;
    QTest::newRow("any failure") << 1;
    QTest::newRow("page shown") << 0;
}

void TestSplashAbout::noBrowserButOpenerDoesNothingVisible() {
    QFETCH(int, exitCode);
    QTemporaryDir bin;
    QVERIFY(bin.isValid());
    QFile opener(bin.filePath(QStringLiteral("xdg-open")));
    QVERIFY(opener.open(QIODevice::WriteOnly));
    opener.write(QStringLiteral("#!/bin/sh\nprintf '%s' \"$1\" > \"$0.asked\"\n"
                                "[ %1 -eq 0 ] || echo \"xdg-open: no method available for opening '$1'\" >&2\n"
                                "exit %1\n")
                     .arg(exitCode)
                     .toUtf8());
    opener.close();
    QVERIFY(opener.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner));
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", QFile::encodeName(bin.path()) + ':' + path);
    installQtServices(QStringLiteral("qr2"));
    setPrompter(m_prompter.get());
    ProductPage::setHandlerLookup([] { return QString(); });
    if (exitCode != 0)
        m_prompter->expect(MsgResult::Ok, QStringLiteral("Product Website"));

    LogRecorder log;
    OpenProductPage();
    const QString asked = opener.fileName() + QStringLiteral(".asked");
    QTRY_VERIFY(QFileInfo::exists(asked));
    QTRY_COMPARE_WITH_TIMEOUT(m_prompter->boxes.size(), exitCode != 0 ? 1 : 0, 5000);
    QTest::qWait(200); // the opener has ended: nothing more comes
    qputenv("PATH", path);
    setShell(m_shell.get());
    QFile a(asked);
    QVERIFY(a.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromUtf8(a.readAll()), kAddress);
    QCOMPARE(m_prompter->boxes.size(), exitCode != 0 ? 1 : 0);
    if (exitCode != 0) {
        QCOMPARE(m_prompter->boxes[0].icon, MsgIcon::Exclamation);
        QVERIFY2(m_prompter->boxes[0].text.contains(kAddress), qPrintable(m_prompter->boxes[0].text));
    }
    QCOMPARE(log.contains(QStringLiteral("warning: the product page couldn't be opened: ") + kAddress),
             exitCode != 0);
}

// ---- --help and --version ----------------------------------------------------------------

void TestSplashAbout::infoOptions_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("version");
    QTest::addColumn<bool>("handled");
    QTest::addColumn<QString>("printed");
    const QString usage = QStringLiteral("Usage: qr2 [show_console]");
    const QString version = QStringLiteral("qr2 version 1.15 [build 281]");
    QTest::newRow("nothing") << QStringList{QStringLiteral("qr2")} << version << false << QString();
    QTest::newRow("switch of the program")
        << QStringList{QStringLiteral("qr2"), QStringLiteral("show_console")} << version << false << QString();
    QTest::newRow("help") << QStringList{QStringLiteral("qr2"), QStringLiteral("--help")} << version << true
                          << usage + '\n';
    QTest::newRow("version") << QStringList{QStringLiteral("qr2"), QStringLiteral("--version")} << version << true
                             << version + '\n';
    QTest::newRow("after another argument")
        << QStringList{QStringLiteral("qr2"), QStringLiteral("show_console"), QStringLiteral("--version")} << version
        << true << version + '\n';
    QTest::newRow("first of both wins") << QStringList{QStringLiteral("qr2"), QStringLiteral("--version"),
                                                       QStringLiteral("--help")}
                                        << version << true << version + '\n';
    QTest::newRow("program name is not a switch") << QStringList{QStringLiteral("--help")} << version << false
                                                  << QString();
    QTest::newRow("file after double dash") << QStringList{QStringLiteral("qredit"), QStringLiteral("--"),
                                                           QStringLiteral("--help")}
                                            << version << false << QString();
    QTest::newRow("no prefix match") << QStringList{QStringLiteral("qr2"), QStringLiteral("--versions")} << version
                                     << false << QString();
    // Both programs name the licence they are given under, after their own version line.
    const QString licence = QStringLiteral(
        "License GPLv3+: GNU GPL version 3 or later <https://gnu.org/licenses/gpl.html>\n"
        "This is free software: you are free to change and redistribute it.\n");
    QTest::newRow("qr2 names the licence") << QStringList{QStringLiteral("qr2"), QStringLiteral("--version")}
                                           << versionTextWithLicence(version) << true
                                           << version + '\n' + licence;
    const QString editor = QStringLiteral("qredit version 1.1 [build 281]");
    QTest::newRow("qredit names the licence") << QStringList{QStringLiteral("qredit"), QStringLiteral("--version")}
                                              << versionTextWithLicence(editor) << true
                                              << editor + '\n' + licence;
}

void TestSplashAbout::infoOptions() {
    QFETCH(QStringList, args);
    QFETCH(QString, version);
    QFETCH(bool, handled);
    QFETCH(QString, printed);
    FILE* out = std::tmpfile();
    QVERIFY(out);
    const bool result = handleInfoOptions(args, QStringLiteral("Usage: qr2 [show_console]"), version, out);
    std::rewind(out);
    QByteArray text(4096, '\0');
    text.resize(qsizetype(std::fread(text.data(), 1, size_t(text.size()), out)));
    std::fclose(out);
    QCOMPARE(result, handled);
    QCOMPARE(QString::fromLocal8Bit(text), printed);
}

QTEST_MAIN(TestSplashAbout)
#include "tst_splashabout.moc"
