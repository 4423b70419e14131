#include "frmabout.h"

#include "ivordalite.h"
#include "modmain.h"
#include "productpage.h"
#include "qexhl.h"
#include "splashpictures.h"
#include "windowroles.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QVBoxLayout>

namespace {
QPointer<frmAbout>& current() {
    static QPointer<frmAbout> w;
    return w;
}
} // namespace

QStringList frmAbout::aboutLines() {
    return {
        QStringLiteral("Quarnel 2007"),
        VersionString(),
        QStringLiteral("Built on the ") + ivordalite::version(),
        QStringLiteral("This is a Quarnel program."),
        QStringLiteral("This program uses the GDI for card rendering"),
        QString(),
        QStringLiteral("Lines of Code: ") + QString::number(5684),
        QStringLiteral("Lines of Comments: ") + QString::number(812),
        QStringLiteral("Blank Lines: ") + QString::number(609),
        QStringLiteral("Total Lines: ") + QString::number(7105),
        QStringLiteral("Project start date: 14April2007"),
        QString(),
        QStringLiteral("This program is free software under the GNU General Public License, version 3 or later."),
    };
}

frmAbout::frmAbout(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("frmAbout"));
    installWindowRoles();
    setWindowTitle(QStringLiteral("About Quarnel"));
    setAttribute(Qt::WA_DeleteOnClose);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::black);
    pal.setColor(QPalette::WindowText, QColor(0xC0, 0xC0, 0xC0));
    setPalette(pal);

    m_picture = new QLabel(this);
    m_picture->setObjectName(QStringLiteral("Image1"));
    m_picture->setPixmap(QPixmap::fromImage(SplashPictures::title(devicePixelRatioF())));
    m_picture->setAlignment(Qt::AlignCenter);
    m_picture->setAccessibleName(QStringLiteral("Quarnel 2007"));

    m_label = new QLabel(this);
    m_label->setObjectName(QStringLiteral("Label1"));
    m_label->setTextFormat(Qt::PlainText);
    m_label->setText(aboutLines().join(QLatin1Char('\n')));
    m_label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_label->setTextInteractionFlags(Qt::TextSelectableByMouse);

    m_link = new qexHL(this);
    m_link->setObjectName(QStringLiteral("HL1"));
    m_link->setCaption(QStringLiteral("Visit the Quarnel web page"));
    m_link->setBackcolor(0x000000);
    // Light blue reads as a link on black; orange, the emblem's colour, while pointed at.
    m_link->setForecolor(0xFFB060);
    m_link->setForecolorMouse(0x0080FF);
    m_link->setToolTip(QString::fromLatin1(ProductPage::kAddress));
    connect(m_link, &qexHL::Click, this, [] { OpenProductPage(); });

    m_ok = new QPushButton(QStringLiteral("OK"), this);
    m_ok->setObjectName(QStringLiteral("Command1"));
    m_ok->setDefault(true);
    connect(m_ok, &QPushButton::clicked, this, &QWidget::close);
    // Escape closes the window, as OK does.
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, &QWidget::close);

    auto* text = new QVBoxLayout;
    text->setContentsMargins(24, 4, 24, 0);
    text->setSpacing(10);
    text->addWidget(m_label);
    text->addWidget(m_link, 0, Qt::AlignLeft);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_ok);

    auto* top = new QVBoxLayout(this);
    top->setContentsMargins(12, 12, 12, 12);
    top->setSpacing(8);
    top->addWidget(m_picture);
    top->addLayout(text);
    top->addLayout(buttons);
    top->setSizeConstraint(QLayout::SetFixedSize);
}

void ShowAboutWindow() {
    frmAbout* w = current();
    if (!w) {
        w = new frmAbout;
        current() = w;
        w->adjustSize();
        if (const QScreen* s = QGuiApplication::primaryScreen())
            w->move(s->availableGeometry().center() - w->rect().center());
    }
    if (w->isVisible()) {
        w->raise();
        w->activateWindow();
    }
    w->show();
}

frmAbout* aboutWindow() {
    return current().data();
}
