// The Find window and the Item Viewer: searching, listing, jumping to a card and marking it,
// the progress of a full listing, the memory view and the windows' life cycle.
#include "appstate.h"
#include "cardmanager.h"
#include "cardview.h"
#include "deck.h"
#include "frmfind.h"
#include "frmprogress.h"
#include "frmviewer.h"
#include "ivordalite.h"
#include "modmain.h"
#include "modrender.h"
#include "r_data.h"
#include "testsupport.h"

#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>
#include <QStyleOptionViewItem>
#include <QTabWidget>
#include <QTableView>
#include <QtTest>

using IntList = QList<int>;
using BoolList = QList<bool>;

class TestFindViewer : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void search_data();
    void search();
    void lowerCaseBeyondAscii_data();
    void lowerCaseBeyondAscii();
    void listAll_data();
    void listAll();
    void returnInFindWindowSearches();
    void returnOnJumpPageRunsGo();
    void viewerAndFindComeToFrontBesideCard();
    void viewerColumnsFitContents_data();
    void viewerColumnsFitContents();
    void viewAllFreezesAndReportsProgress();
    void oneCardDeckGivesEmptyProgressRange();
    void rowClickShowsThatCard_data();
    void rowClickShowsThatCard();
    void tickingSetsTroubleOfThatCardOnly_data();
    void tickingSetsTroubleOfThatCardOnly();
    void keyboardTickDoesNotSwallowNextClick();
    void rowsOlderThanDeckChangeNothing();
    void findWindowLoads();
    void tickFrequency_data();
    void tickFrequency();
    void go_data();
    void go();
    void maxMinThenGo();
    void closingFindClosesViewer_data();
    void closingFindClosesViewer();
    void memoryView();
    void memoryRegions_data();
    void memoryRegions();
    void hunkTotal_data();
    void hunkTotal();
    void escapeLeftItemViewerOpen_data();
    void escapeLeftItemViewerOpen();
    void foundOneItemsCaption_data();
    void foundOneItemsCaption();

private:
    // Cards with the questions and answers given; the rest is filled from the number.
    void makeDeck(const QList<QPair<QString, QString>>& cards);
    void makeDeck(int n);
    frmFind* openFind();
    void search(const QString& text, bool questions = true, bool answers = true, bool matchCase = false);
    QRect rowRect(int row, int column) const;
    QRect checkRect(int row) const;
    static QList<int> shownNumbers();
    std::shared_ptr<r_data> face() { return mainRenderData(); }

    CardView* m_view = nullptr;
    std::unique_ptr<ScriptedPrompter> m_prompter;
    QTemporaryDir m_home;
};

void TestFindViewer::init() {
    AppState::reset();
    app().homeFolder = m_home.path();
    FlushDeck(true);
    curcard = 0;
    m_prompter = std::make_unique<ScriptedPrompter>();
    m_view = new CardView;
    m_view->resize(400, 300);
    CardManagerHooks& h = cardManagerHooks();
    h.filterChecked = [] { return false; };
    h.setFilterChecked = [](bool) {};
    h.setTroubleChecked = [](bool) {};
    h.cardWindow = [this] { return m_view; };
    InitCardSurface();
}

void TestFindViewer::cleanup() {
    QVERIFY2(m_prompter->unexpected.isEmpty(), qPrintable(m_prompter->unexpected.join(", ")));
    if (frmFind* f = findWindow())
        f->close();
    unloadViewerWindow();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    releaseMainRenderPair();
    delete m_view;
    m_view = nullptr;
    cardManagerHooks() = CardManagerHooks{};
    m_prompter.reset();
    app().master.reset();
}

void TestFindViewer::makeDeck(const QList<QPair<QString, QString>>& cards) {
    deck = QVector<Card>(cards.size() + 1);
    for (int i = 0; i < cards.size(); ++i) {
        deck[i].question = cards[i].first;
        deck[i].answer = cards[i].second;
        deck[i].chaptertitle = QStringLiteral("Lesson %1").arg(i / 2 + 1);
        deck[i].timesviewed = qint16(i * 3);
    }
}

void TestFindViewer::makeDeck(int n) {
    QList<QPair<QString, QString>> cards;
    for (int i = 0; i < n; ++i)
        cards.append({QStringLiteral("q%1").arg(i + 1), QStringLiteral("a%1").arg(i + 1)});
    makeDeck(cards);
}

frmFind* TestFindViewer::openFind() {
    ShowFindWindow();
    frmFind* f = findWindow();
    if (f)
        (void)QTest::qWaitForWindowExposed(f);
    return f;
}

void TestFindViewer::search(const QString& text, bool questions, bool answers, bool matchCase) {
    frmFind* f = openFind();
    QVERIFY(f);
    f->ts()->setCurrentIndex(1);
    f->Check1()->setChecked(questions);
    f->Check2()->setChecked(answers);
    f->Check3()->setChecked(matchCase);
    f->Text2()->setText(text);
    QTest::mouseClick(f->findChild<QPushButton*>("Command5"), Qt::LeftButton);
}

QRect TestFindViewer::rowRect(int row, int column) const {
    QTableView* lv = viewerWindow()->LV();
    return lv->visualRect(lv->model()->index(row, column));
}

// Where the view's delegate puts the check box of a row, laid out the way it lays it out.
QRect TestFindViewer::checkRect(int row) const {
    QTableView* lv = viewerWindow()->LV();
    const QModelIndex index = lv->model()->index(row, 0);
    QStyleOptionViewItem opt;
    opt.initFrom(lv->viewport());
    opt.rect = lv->visualRect(index);
    opt.font = lv->font();
    opt.features = QStyleOptionViewItem::HasCheckIndicator | QStyleOptionViewItem::HasDisplay;
    opt.text = index.data().toString();
    opt.checkState = index.data(Qt::CheckStateRole).value<Qt::CheckState>();
    opt.displayAlignment = Qt::AlignLeft | Qt::AlignVCenter;
    opt.widget = lv;
    return lv->style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &opt, lv);
}

QList<int> TestFindViewer::shownNumbers() {
    QList<int> out;
    QAbstractItemModel* m = viewerWindow()->LV()->model();
    for (int r = 0; r < m->rowCount(); ++r)
        out.append(m->index(r, 0).data().toInt());
    return out;
}

namespace {
const QList<QPair<QString, QString>> kGermanCards = {
    {"das Haus", "the house"},                 // 1
    {"haushoch", "very high"},                 // 2
    {"die Maus", "the mouse"},                 // 3
    {"Hausmaus", "house mouse (Haus + Maus)"}, // 4
    {"der Baum", "the tree"},                  // 5
    {"Tree", "der Baum"},                      // 6
};
} // namespace

void TestFindViewer::search_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("questions");
    QTest::addColumn<bool>("answers");
    QTest::addColumn<bool>("matchCase");
    QTest::addColumn<IntList>("numbers");
    QTest::addColumn<BoolList>("boldQuestion");
    QTest::addColumn<BoolList>("boldAnswer");
    QTest::addColumn<QString>("boxAfter");

    QTest::newRow("Haus, match case, skips haus") << "Haus" << true << true << true << IntList{1, 4}
                                                  << BoolList{true, true} << BoolList{false, true} << "Haus";
    QTest::newRow("Haus, any case, finds haus") << "Haus" << true << true << false << IntList{1, 2, 4}
                                                << BoolList{true, true, true} << BoolList{false, false, true}
                                                << "Haus";
    QTest::newRow("haus, match case") << "haus" << true << true << true << IntList{2} << BoolList{true}
                                      << BoolList{false} << "haus";
    QTest::newRow("answers only skip question hits") << "baum" << false << true << false << IntList{6}
                                                     << BoolList{false} << BoolList{true} << "baum";
    QTest::newRow("questions only skip answer hits") << "baum" << true << false << false << IntList{5}
                                                     << BoolList{true} << BoolList{false} << "baum";
    QTest::newRow("hits on either side") << "TREE" << true << true << false << IntList{5, 6}
                                         << BoolList{false, true} << BoolList{true, false} << "TREE";
    QTest::newRow("spaces around are trimmed") << "  Maus  " << true << true << true << IntList{3, 4}
                                               << BoolList{true, false} << BoolList{false, true} << "Maus";
    QTest::newRow("tab is part of the text") << "Maus\t" << true << true << true << IntList{} << BoolList{}
                                             << BoolList{} << "Maus\t";
    QTest::newRow("nothing found") << "zebra" << true << true << false << IntList{} << BoolList{} << BoolList{}
                                   << "zebra";
    QTest::newRow("neither side searched") << "Haus" << false << false << false << IntList{} << BoolList{}
                                           << BoolList{} << "Haus";
}

void TestFindViewer::search() {
    QFETCH(QString, text);
    QFETCH(bool, questions);
    QFETCH(bool, answers);
    QFETCH(bool, matchCase);
    QFETCH(IntList, numbers);
    QFETCH(BoolList, boldQuestion);
    QFETCH(BoolList, boldAnswer);
    QFETCH(QString, boxAfter);
    makeDeck(kGermanCards);

    search(text, questions, answers, matchCase);

    frmViewer* v = viewerWindow();
    QVERIFY(v && v->isVisible());
    QCOMPARE(findWindow()->Text2()->text(), boxAfter);
    QCOMPARE(shownNumbers(), numbers);
    QAbstractItemModel* m = v->LV()->model();
    for (int r = 0; r < numbers.size(); ++r) {
        const Card& c = deck.at(numbers[r] - 1);
        // The row shows the texts as stored, whatever case the search ignored.
        QCOMPARE(m->index(r, 1).data().toString(), c.question);
        QCOMPARE(m->index(r, 2).data().toString(), c.answer);
        QCOMPARE(m->index(r, 1).data(Qt::FontRole).value<QFont>().bold(), boldQuestion[r]);
        QCOMPARE(m->index(r, 2).data(Qt::FontRole).value<QFont>().bold(), boldAnswer[r]);
    }
    const QRegularExpression caption(QStringLiteral("^Item Viewer - \\[found %1 in \\d+\\.\\d{7} seconds\\]$")
                                         .arg(numbers.size() == 1 ? QString("1 item") : QString("%1 items").arg(numbers.size())));
    QVERIFY2(caption.match(v->windowTitle()).hasMatch(), qPrintable(v->windowTitle()));
}

void TestFindViewer::lowerCaseBeyondAscii_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<IntList>("numbers");
    QTest::newRow("umlaut") << QString::fromUtf8("über") << IntList{1};
    // The lower case of U+0130 is two characters, "i" and a combining dot.
    QTest::newRow("dotted capital I") << "i" << IntList{2};
    QTest::newRow("outside the basic plane") << QString::fromUtf8("\xF0\x90\x90\xA8") << IntList{3};
    QTest::newRow("greek with accent") << QString::fromUtf8("σοφία") << IntList{4};
    QTest::newRow("sharp s is not ss") << "STRASSE" << IntList{};
    QTest::newRow("capital sharp s") << QString::fromUtf8("groß") << IntList{6};
    // Case folding, not lower case: final sigma matches sigma, either way round.
    QTest::newRow("greek final sigma") << QString::fromUtf8("σοφός") << IntList{7};
    QTest::newRow("greek sigma for final") << QString::fromUtf8("ΛΌΓΟΣ") << IntList{8};
    QTest::newRow("cyrillic") << QString::fromUtf8("юрий") << IntList{9};
}

void TestFindViewer::lowerCaseBeyondAscii() {
    QFETCH(QString, text);
    QFETCH(IntList, numbers);
    makeDeck({{QString::fromUtf8("ÜBERALL"), "everywhere"},
              {QString::fromUtf8("İstanbul"), "city"},
              {QString::fromUtf8("\xF0\x90\x90\x80 deseret"), "letter"},
              {QString::fromUtf8("ΣΟΦΊΑ"), "wisdom"},
              {QString::fromUtf8("Straße"), "street"},
              {QString::fromUtf8("GROẞ"), "big"},
              {QString::fromUtf8("ΣΟΦΌΣ"), "wise"},
              {QString::fromUtf8("λόγος"), "word"},
              {QString::fromUtf8("Здравствуйте, ЮРИЙ"), "hello"}});
    search(text, true, false, false);
    QCOMPARE(shownNumbers(), numbers);
}

void TestFindViewer::listAll_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("boxAfter");
    QTest::newRow("star") << "*" << "*";
    QTest::newRow("star with spaces") << "  *  " << "*";
    QTest::newRow("empty") << "" << "";
    QTest::newRow("only spaces") << "    " << "";
}

void TestFindViewer::listAll() {
    QFETCH(QString, text);
    QFETCH(QString, boxAfter);
    makeDeck(kGermanCards);
    deck[2].trouble = -1;
    // A search before leaves bold hits behind; listing all must not keep them.
    search("Haus");
    findWindow()->Text2()->setText(text);
    QTest::mouseClick(findWindow()->findChild<QPushButton*>("Command5"), Qt::LeftButton);

    frmViewer* v = viewerWindow();
    QCOMPARE(findWindow()->Text2()->text(), boxAfter);
    QCOMPARE(v->windowTitle(), QString("Item Viewer"));
    QCOMPARE(shownNumbers(), (IntList{1, 2, 3, 4, 5, 6}));
    QAbstractItemModel* m = v->LV()->model();
    QStringList headers;
    for (int c = 0; c < m->columnCount(); ++c)
        headers << m->headerData(c, Qt::Horizontal).toString();
    QCOMPARE(headers, (QStringList{"trouble", "question", "answer", "times viewed", "title"}));
    for (int r = 0; r < 6; ++r) {
        QCOMPARE(m->index(r, 1).data().toString(), deck[r].question);
        QCOMPARE(m->index(r, 2).data().toString(), deck[r].answer);
        QCOMPARE(m->index(r, 3).data().toString(), QString::number(r * 3));
        QCOMPARE(m->index(r, 4).data().toString(), deck[r].chaptertitle);
        QCOMPARE(m->index(r, 0).data(Qt::CheckStateRole).toInt(), int(r == 2 ? Qt::Checked : Qt::Unchecked));
        QVERIFY(!m->index(r, 1).data(Qt::FontRole).value<QFont>().bold());
        QVERIFY(!m->index(r, 2).data(Qt::FontRole).value<QFont>().bold());
    }
}

void TestFindViewer::returnInFindWindowSearches() {
    makeDeck(kGermanCards);
    frmFind* f = openFind();
    f->ts()->setCurrentIndex(1);
    f->Text2()->setText("Maus");
    f->Text2()->setFocus();
    QTest::keyClick(f->Text2(), Qt::Key_Return);
    QVERIFY(viewerWindow());
    QCOMPARE(shownNumbers(), (IntList{3, 4}));
}

// Return on the "Jump to ID" page runs Go (and nothing else); on "Find by Name" it searches.
void TestFindViewer::returnOnJumpPageRunsGo() {
    makeDeck(kGermanCards);
    frmFind* f = openFind();
    QCOMPARE(f->ts()->currentIndex(), 0);
    f->Text1()->setText("5");
    f->Text1()->setFocus();
    QTest::keyClick(f->Text1(), Qt::Key_Return);
    QCOMPARE(int(curcard), 4);
    QCOMPARE(face()->maintext(), QString("der Baum"));
    QVERIFY(!viewerWindow());
    f->Slider1()->setFocus();
    QTest::keyClick(f->Slider1(), Qt::Key_End); // the slider to the last card
    QTest::keyClick(f->Slider1(), Qt::Key_Enter);
    QCOMPARE(int(curcard), 5);
    QVERIFY(!viewerWindow());
}

// The viewer, filled again or asked for again, and the Find window, asked for again, come to
// the front with the focus; both open beside the card, not over it.
void TestFindViewer::viewerAndFindComeToFrontBesideCard() {
    makeDeck(kGermanCards);
    m_view->setGeometry(QRect(QPoint(0, 0), QSize(120, 120)));
    m_view->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_view));
    const QRect card = m_view->frameGeometry();
    auto cardTakesFocus = [this] {
        m_view->activateWindow();
        QTRY_COMPARE(QApplication::activeWindow(), m_view);
    };
    cardTakesFocus();
    frmFind* f = openFind();
    QTRY_COMPARE(QApplication::activeWindow(), f);
    QVERIFY2(!f->frameGeometry().intersects(card), "the Find window covers the card");

    cardTakesFocus();
    ShowFindWindow();
    QTRY_COMPARE(QApplication::activeWindow(), f);

    cardTakesFocus();
    ViewAllCards();
    frmViewer* v = viewerWindow();
    QVERIFY(v);
    QTRY_COMPARE(QApplication::activeWindow(), v);
    QVERIFY2(!v->frameGeometry().intersects(card), "the Item Viewer covers the card");

    for (const QString& text : {QString("*"), QString("Maus"), QString("show_mem_usage")}) {
        cardTakesFocus();
        search(text);
        QTRY_COMPARE(QApplication::activeWindow(), v);
    }
    cardTakesFocus();
    ViewAllCards();
    QTRY_COMPARE(QApplication::activeWindow(), v);
}

// The columns are as wide as their texts and titles, within the window; the last one takes
// the rest of the width.
void TestFindViewer::viewerColumnsFitContents_data() {
    QTest::addColumn<int>("questionLength");
    QTest::newRow("everything fits") << 15;
    QTest::newRow("one question wider than the window") << 400;
}

void TestFindViewer::viewerColumnsFitContents() {
    QFETCH(int, questionLength);
    QList<QPair<QString, QString>> cards = kGermanCards;
    cards[2].first = QString(questionLength, QLatin1Char('W'));
    makeDeck(cards);
    ViewAllCards();
    frmViewer* v = viewerWindow();
    QVERIFY(v);
    QTableView* lv = v->LV();
    QHeaderView* h = lv->horizontalHeader();
    const int last = h->count() - 1;
    const auto need = [lv](int column) { return static_cast<QAbstractItemView*>(lv)->sizeHintForColumn(column); };
    QCOMPARE(h->length(), lv->viewport()->width());
    for (int c = 0; c < last; ++c) {
        const bool wide = questionLength > 100 && c == 1;
        if (!wide)
            QVERIFY2(h->sectionSize(c) >= need(c), qPrintable(QString::number(c)));
        QVERIFY2(h->sectionSize(c) >= h->sectionSizeHint(c), qPrintable(QString::number(c))); // whole titles
    }
    if (questionLength > 100)
        QVERIFY(h->sectionSize(1) < need(1));
    // The answer and the chapter title are never squeezed out by the long question.
    QVERIFY(h->sectionSize(last) >= need(last));
}

void TestFindViewer::viewAllFreezesAndReportsProgress() {
    makeDeck(40);
    frmViewer* v = loadViewerWindow();
    frmProgress* p = v->ensureProgressWindow();
    QStringList captions, progressCaptions;
    QList<bool> frozen, progressShown;
    connect(p->PB(), &QProgressBar::valueChanged, this, [&] {
        captions << v->windowTitle();
        progressCaptions << p->windowTitle();
        frozen << !v->LV()->updatesEnabled();
        progressShown << p->isVisible();
    });

    ViewAllCards();

    QCOMPARE(captions.size(), 40);
    QCOMPARE(QSet<QString>(captions.begin(), captions.end()),
             QSet<QString>{"Item Viewer - Items Loading .. Please Wait .."});
    QCOMPARE(QSet<QString>(progressCaptions.begin(), progressCaptions.end()), QSet<QString>{"Loading List ..."});
    QVERIFY(!frozen.contains(false));
    QVERIFY(!progressShown.contains(false));
    QCOMPARE(p->PB()->minimum(), 0);
    QCOMPARE(p->PB()->maximum(), 39);
    QCOMPARE(p->PB()->value(), 39);
    QVERIFY(!p->isVisible());
    QVERIFY(v->isVisible());
    QVERIFY(v->LV()->updatesEnabled());
    QCOMPARE(v->windowTitle(), QString("Item Viewer"));
    QCOMPARE(v->LV()->model()->rowCount(), 40);
}

void TestFindViewer::oneCardDeckGivesEmptyProgressRange() {
    makeDeck(1);
    ViewAllCards();
    QProgressBar* pb = viewerWindow()->progressWindow()->PB();
    QCOMPARE(pb->minimum(), 0);
    QCOMPARE(pb->maximum(), 0);
    QCOMPARE(pb->value(), 0);
    QCOMPARE(shownNumbers(), IntList{1});
}

void TestFindViewer::rowClickShowsThatCard_data() {
    QTest::addColumn<QString>("searchText"); // empty: every card listed
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("number");
    QTest::addColumn<bool>("byKey"); // Return on the row's current cell instead of a click
    for (const bool byKey : {false, true}) {
        const char* how = byKey ? " by Return" : "";
        QTest::addRow("row numbered 5 of all%s", how) << "" << 4 << 5 << byKey;
        QTest::addRow("last row of all%s", how) << "" << 6 << 7 << byKey;
        // After a search the rows no longer line up with the slots.
        QTest::addRow("second hit of a search%s", how) << "q6" << 0 << 6 << byKey;
    }
}

void TestFindViewer::rowClickShowsThatCard() {
    QFETCH(QString, searchText);
    QFETCH(int, row);
    QFETCH(int, number);
    QFETCH(bool, byKey);
    makeDeck(7);
    deck[1].trouble = -1;
    if (searchText.isEmpty())
        ViewAllCards();
    else
        search(searchText);
    frmViewer* v = viewerWindow();
    QVERIFY(QTest::qWaitForWindowExposed(v));

    if (byKey) {
        v->LV()->setCurrentIndex(v->LV()->model()->index(row, 2));
        QTest::keyClick(v->LV(), Qt::Key_Return);
    } else {
        QTest::mouseClick(v->LV()->viewport(), Qt::LeftButton, {}, rowRect(row, 1).center());
    }

    QCOMPARE(int(curcard), number - 1);
    QCOMPARE(face()->maintext(), QStringLiteral("q%1").arg(number));
    QCOMPARE(face()->toplefttext(), QStringLiteral("showing card %1 of 7").arg(number));
    QCOMPARE(int(deck[number - 1].timesviewed), (number - 1) * 3 + 1);
    QCOMPARE(int(deck[number - 1].trouble), 0);
}

void TestFindViewer::tickingSetsTroubleOfThatCardOnly_data() {
    QTest::addColumn<int>("before");
    QTest::addColumn<int>("after");
    QTest::addColumn<int>("keyColumn"); // -1: a click on the box; else Space with that column current
    QTest::newRow("tick") << 0 << -1 << -1;
    QTest::newRow("untick") << -1 << 0 << -1;
    QTest::newRow("tick by Space on the box") << 0 << -1 << 0;
    QTest::newRow("tick by Space on the answer") << 0 << -1 << 2;
    QTest::newRow("untick by Space on the question") << -1 << 0 << 1;
}

void TestFindViewer::tickingSetsTroubleOfThatCardOnly() {
    QFETCH(int, before);
    QFETCH(int, after);
    QFETCH(int, keyColumn);
    makeDeck(7);
    deck[4].trouble = qint16(before);
    curcard = 1;
    face()->setMaintext("untouched");
    ViewAllCards();
    frmViewer* v = viewerWindow();
    QVERIFY(QTest::qWaitForWindowExposed(v));
    const QVector<Card> old = deck;

    if (keyColumn < 0) {
        QTest::mouseClick(v->LV()->viewport(), Qt::LeftButton, {}, checkRect(4).center());
    } else {
        v->LV()->setCurrentIndex(v->LV()->model()->index(4, keyColumn));
        QTest::keyClick(v->LV(), Qt::Key_Space);
    }

    QCOMPARE(int(deck[4].trouble), after);
    for (int i = 0; i < deck.size(); ++i) {
        if (i != 4)
            QCOMPARE(deck[i].trouble, old[i].trouble);
        QCOMPARE(deck[i].timesviewed, old[i].timesviewed);
    }
    // The click on the box is not also a jump to the card.
    QCOMPARE(int(curcard), 1);
    QCOMPARE(face()->maintext(), QString("untouched"));
}

void TestFindViewer::keyboardTickDoesNotSwallowNextClick() {
    makeDeck(7);
    ViewAllCards();
    frmViewer* v = viewerWindow();
    QVERIFY(QTest::qWaitForWindowExposed(v));
    v->LV()->setFocus();
    v->LV()->setCurrentIndex(v->LV()->model()->index(2, 0));
    QTest::keyClick(v->LV(), Qt::Key_Space);
    QCOMPARE(int(deck[2].trouble), -1);

    QTest::mouseClick(v->LV()->viewport(), Qt::LeftButton, {}, rowRect(5, 2).center());
    QCOMPARE(int(curcard), 5);
    QCOMPARE(face()->maintext(), QString("q6"));
}

void TestFindViewer::rowsOlderThanDeckChangeNothing() {
    makeDeck(7);
    ViewAllCards();
    frmViewer* v = viewerWindow();
    QVERIFY(QTest::qWaitForWindowExposed(v));
    frmFind* f = openFind();
    makeDeck(3); // a new deck while both windows stay open
    curcard = 1;
    face()->setMaintext("untouched");

    QTest::mouseClick(v->LV()->viewport(), Qt::LeftButton, {}, rowRect(4, 1).center());
    QTest::mouseClick(v->LV()->viewport(), Qt::LeftButton, {}, checkRect(5).center());
    // The slider still offers card 7 from when the window was loaded.
    QTest::mouseClick(f->findChild<QPushButton*>("Command4"), Qt::LeftButton);
    QCOMPARE(f->Text1()->text(), QString("7"));
    QTest::mouseClick(f->findChild<QPushButton*>("Command3"), Qt::LeftButton);

    QCOMPARE(deck.size(), 4);
    QCOMPARE(int(curcard), 1);
    QCOMPARE(face()->maintext(), QString("untouched"));
    for (const Card& c : deck)
        QCOMPARE(int(c.trouble), 0);
}

void TestFindViewer::findWindowLoads() {
    makeDeck(13);
    curcard = 6;
    frmFind* f = openFind();
    QCOMPARE(f->windowTitle(), QString("Find Card"));
    QCOMPARE(f->ts()->count(), 2);
    QCOMPARE(f->ts()->tabText(0), QString("Jump to ID"));
    QCOMPARE(f->ts()->tabText(1), QString("Find by Name"));
    QCOMPARE(f->ts()->currentIndex(), 0);
    QVERIFY(f->Text1()->isVisible());
    QVERIFY(!f->Text2()->isVisible());
    QCOMPARE(f->Label1(2)->text(), QString("1"));
    QCOMPARE(f->Label1(3)->text(), QString("13"));
    QCOMPARE(f->findChild<QLabel*>("Label1_2"), f->Label1(2));
    QCOMPARE(f->Slider1()->minimum(), 1);
    QCOMPARE(f->Slider1()->maximum(), 13);
    QCOMPARE(f->Slider1()->value(), 7);
    QCOMPARE(f->Slider1()->tickInterval(), 2);
    QCOMPARE(f->Text1()->text(), QString("7"));
    for (QCheckBox* c : {f->Check1(), f->Check2(), f->Check3()})
        QCOMPARE(c->checkState(), Qt::Checked);

    f->ts()->setCurrentIndex(1);
    QVERIFY(f->findChild<QPushButton*>("Command5")->isDefault());
    QVERIFY(f->Text2()->isVisible());
    QVERIFY(!f->Text1()->isVisible());

    f->Slider1()->setValue(11);
    QCOMPARE(f->Text1()->text(), QString("11"));
    // The range is the deck's at load time; a second Show keeps the loaded window.
    makeDeck(20);
    ShowFindWindow();
    QCOMPARE(findWindow(), f);
    QCOMPARE(f->Slider1()->maximum(), 13);
}

void TestFindViewer::tickFrequency_data() {
    QTest::addColumn<int>("cards");
    QTest::addColumn<int>("ticks");
    QTest::newRow("0.5 rounds to 0") << 3 << 0;
    QTest::newRow("0.6") << 4 << 1;
    QTest::newRow("1.0") << 8 << 1;
    QTest::newRow("1.5 rounds to 2") << 13 << 2;
    QTest::newRow("2.5 rounds to 2") << 23 << 2;
    QTest::newRow("3.5 rounds to 4") << 33 << 4;
    QTest::newRow("3.4") << 32 << 3;
    QTest::newRow("largest deck") << 32766 << 3277;
}

void TestFindViewer::tickFrequency() {
    QFETCH(int, cards);
    QFETCH(int, ticks);
    QCOMPARE(sliderTickFrequency(cards), ticks);
}

void TestFindViewer::go_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("number"); // 0: nothing happens
    QTest::newRow("zero") << "0" << 0;
    QTest::newRow("N + 1") << "8" << 0;
    QTest::newRow("letters") << "abc" << 0;
    QTest::newRow("empty") << "" << 0;
    QTest::newRow("negative") << "-1" << 0;
    QTest::newRow("just below one") << "0.9" << 0;
    QTest::newRow("number then letters") << "3x" << 0;
    QTest::newRow("first") << "1" << 1;
    QTest::newRow("last") << "7" << 7;
    QTest::newRow("fraction rounds down") << "3.9" << 3;
    QTest::newRow("last plus fraction") << "7.5" << 7;
    QTest::newRow("spaces around") << " 4 " << 4;
}

void TestFindViewer::go() {
    QFETCH(QString, text);
    QFETCH(int, number);
    makeDeck(7);
    curcard = 1;
    face()->setMaintext("untouched");
    frmFind* f = openFind();
    f->Text1()->setText(text);
    QTest::mouseClick(f->findChild<QPushButton*>("Command3"), Qt::LeftButton);
    if (number == 0) {
        QCOMPARE(int(curcard), 1);
        QCOMPARE(face()->maintext(), QString("untouched"));
        for (int i = 0; i < deck.size() - 1; ++i)
            QCOMPARE(int(deck[i].timesviewed), i * 3);
    } else {
        QCOMPARE(int(curcard), number - 1);
        QCOMPARE(face()->maintext(), QStringLiteral("q%1").arg(number));
        QCOMPARE(face()->toplefttext(), QStringLiteral("showing card %1 of 7").arg(number));
    }
}

void TestFindViewer::maxMinThenGo() {
    makeDeck(7);
    curcard = 2;
    frmFind* f = openFind();
    QPushButton* go = f->findChild<QPushButton*>("Command3");
    QTest::mouseClick(f->findChild<QPushButton*>("Command4"), Qt::LeftButton);
    QCOMPARE(f->Text1()->text(), QString("7"));
    QTest::mouseClick(go, Qt::LeftButton);
    QCOMPARE(int(curcard), 6);
    QCOMPARE(face()->maintext(), QString("q7"));

    QTest::mouseClick(f->findChild<QPushButton*>("Command1"), Qt::LeftButton);
    QCOMPARE(f->Text1()->text(), QString("1"));
    QTest::mouseClick(go, Qt::LeftButton);
    QCOMPARE(int(curcard), 0);
    QCOMPARE(face()->maintext(), QString("q1"));

    // Typed over, then "min" again with the slider already there: the box follows all the same.
    f->Text1()->setText("abc");
    QTest::mouseClick(f->findChild<QPushButton*>("Command1"), Qt::LeftButton);
    QCOMPARE(f->Text1()->text(), QString("1"));
}

void TestFindViewer::closingFindClosesViewer_data() {
    QTest::addColumn<QString>("how");
    QTest::newRow("Done") << "Done";
    QTest::newRow("close box") << "close box";
    QTest::newRow("Escape") << "Escape";
}

void TestFindViewer::closingFindClosesViewer() {
    QFETCH(QString, how);
    app().master = std::make_unique<ivordalite>();
    QVERIFY(app().master->mount(masterPath(), false));
    makeDeck(5);
    frmFind* f = openFind();
    ViewAllCards(); // opened from the main window, not by a search
    QPointer<frmViewer> v = viewerWindow();
    QPointer<frmFind> guard = f;
    QVERIFY(v && v->isVisible());
    f->move(90, 60);
    v->move(30, 45);

    if (how == "Done")
        QTest::mouseClick(f->findChild<QPushButton*>("Command2"), Qt::LeftButton);
    else if (how == "close box")
        f->close();
    else
        QTest::keyClick(f, Qt::Key_Escape);

    QVERIFY(!findWindow());
    QVERIFY(!viewerWindow());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!guard);
    QVERIFY(!v);
    ivordalite& m = *app().master;
    QCOMPARE(m.getlong("frmFind.left", -1), 90 * twipsPerPixelX());
    QCOMPARE(m.getlong("frmFind.top", -1), 60 * twipsPerPixelY());
    QCOMPARE(m.getlong("frmViewer.left", -1), 30 * twipsPerPixelX());
    QCOMPARE(m.getlong("frmViewer.top", -1), 45 * twipsPerPixelY());

    // Loaded again, both come back where they were.
    openFind();
    ViewAllCards();
    QCOMPARE(findWindow()->pos(), QPoint(90, 60));
    QCOMPARE(viewerWindow()->pos(), QPoint(30, 45));
}

void TestFindViewer::memoryView() {
    makeDeck(7);
    curcard = 2;
    face()->setMaintext("untouched");
    search("  show_mem_usage ");
    frmViewer* v = viewerWindow();
    QVERIFY(QTest::qWaitForWindowExposed(v));
    QAbstractItemModel* m = v->LV()->model();
    QCOMPARE(m->columnCount(), 2);
    QCOMPARE(m->headerData(0, Qt::Horizontal).toString(), QString("Address"));
    QCOMPARE(m->headerData(1, Qt::Horizontal).toString(), QString("Width (bytes)"));
    QVERIFY(m->rowCount() > 0);
    quint64 total = 0;
    for (int r = 0; r < m->rowCount(); ++r) {
        bool okAddress = false, okWidth = false;
        m->index(r, 0).data().toString().toULongLong(&okAddress, 16);
        total += m->index(r, 1).data().toString().toULongLong(&okWidth);
        QVERIFY(okAddress && okWidth);
    }
    const QRegularExpression caption("^Total hunk memory usage: (\\d{2,3}(,\\d{3})+) bytes$");
    const QRegularExpressionMatch match = caption.match(v->windowTitle());
    QVERIFY2(match.hasMatch(), qPrintable(v->windowTitle()));
    QCOMPARE(match.captured(1).remove(',').toULongLong(), total);

    // The rows are regions, not cards: a click or a tick changes no card.
    QTest::mouseClick(v->LV()->viewport(), Qt::LeftButton, {}, rowRect(4, 0).center());
    QTest::mouseClick(v->LV()->viewport(), Qt::LeftButton, {}, rowRect(4, 0).topLeft() + QPoint(8, 8));
    QVERIFY(!m->setData(m->index(4, 0), Qt::Checked, Qt::CheckStateRole));
    QCOMPARE(int(curcard), 2);
    QCOMPARE(face()->maintext(), QString("untouched"));
    for (const Card& c : deck)
        QCOMPARE(int(c.trouble), 0);

    // The next listing brings the card columns back.
    search("*");
    QCOMPARE(m->columnCount(), 5);
    QCOMPARE(m->headerData(0, Qt::Horizontal).toString(), QString("trouble"));
    QCOMPARE(m->rowCount(), 7);
}

void TestFindViewer::memoryRegions_data() {
    QTest::addColumn<QByteArray>("maps");
    QTest::addColumn<QList<quint64>>("regions"); // address, width, address, width ...
    QTest::newRow("private writable") << QByteArray("55d0c0a00000-55d0c0a21000 rw-p 00000000 00:00 0   [heap]\n")
                                      << QList<quint64>{0x55d0c0a00000ull, 0x21000};
    QTest::newRow("private read-only file") << QByteArray("7f0000001000-7f0000003000 r--p 00001000 08:01 42 /lib/x\n")
                                            << QList<quint64>{0x7f0000001000ull, 0x2000};
    QTest::newRow("shared is left out") << QByteArray("7f0000000000-7f0000001000 rw-s 00000000 00:05 9 /dev/shm/y\n")
                                        << QList<quint64>{};
    QTest::newRow("reserved is left out") << QByteArray("7f0000000000-7f0000100000 ---p 00000000 00:00 0\n")
                                          << QList<quint64>{};
    QTest::newRow("damaged lines") << QByteArray("garbage\n-1000 rw-p\nzz-1000 rw-p\n2000-1000 rw-p\n1000-1000 rw-p\n"
                                                 "1000-2000 rw\n\n1000-3000 rw-p 0 0:0 0")
                                   << QList<quint64>{0x1000, 0x2000};
    QTest::newRow("several") << QByteArray("1000-2000 rw-p 0 0:0 0\n3000-5000 r-xp 0 0:0 0\n")
                             << QList<quint64>{0x1000, 0x1000, 0x3000, 0x2000};
}

void TestFindViewer::memoryRegions() {
    QFETCH(QByteArray, maps);
    QFETCH(QList<quint64>, regions);
    QList<quint64> got;
    for (const MemoryRegion& r : privateMemoryRegions(maps))
        got << r.address << r.width;
    QCOMPARE(got, regions);
}

void TestFindViewer::hunkTotal_data() {
    QTest::addColumn<quint64>("total");
    QTest::addColumn<QString>("text");
    QTest::newRow("zero") << quint64(0) << "00,000,000";
    QTest::newRow("small") << quint64(1234) << "00,001,234";
    QTest::newRow("eight digits") << quint64(12345678) << "12,345,678";
    QTest::newRow("nine digits") << quint64(123456789) << "123,456,789";
    QTest::newRow("ten digits") << quint64(1234567890) << "1,234,567,890";
}

void TestFindViewer::hunkTotal() {
    QFETCH(quint64, total);
    QFETCH(QString, text);
    QCOMPARE(formatHunkTotal(total), text);
}

// Escape did not close the Item Viewer (it closes About and Preferences); it does, from the
// list, after a listing of every card or a search.
void TestFindViewer::escapeLeftItemViewerOpen_data() {
    QTest::addColumn<QString>("fill");
    QTest::newRow("every card") << "*";
    QTest::newRow("a search") << "Haus";
}

void TestFindViewer::escapeLeftItemViewerOpen() {
    QFETCH(QString, fill);
    makeDeck(kGermanCards);
    search(fill);
    QPointer<frmViewer> v = viewerWindow();
    QVERIFY(v && v->isVisible());
    QVERIFY(QTest::qWaitForWindowActive(v));
    v->LV()->setFocus();
    v->LV()->setCurrentIndex(v->LV()->model()->index(0, 1));
    QTest::keyClick(v->LV(), Qt::Key_Escape);
    QTRY_VERIFY(!v);
    QVERIFY(!viewerWindow());
    QCOMPARE(int(curcard), 0);
}

// A search with one hit said "found 1 items".
void TestFindViewer::foundOneItemsCaption_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("found");
    QTest::newRow("none") << "zebra" << "found 0 items in ";
    QTest::newRow("one") << "Tree" << "found 1 item in ";
    QTest::newRow("two") << "Maus" << "found 2 items in ";
}

void TestFindViewer::foundOneItemsCaption() {
    QFETCH(QString, text);
    QFETCH(QString, found);
    makeDeck(kGermanCards);
    search(text, true, true, true);
    const QString title = viewerWindow()->windowTitle();
    QVERIFY2(title.startsWith("Item Viewer - [" + found), qPrintable(title));
}

QTEST_MAIN(TestFindViewer)
#include "tst_findviewer.moc"
