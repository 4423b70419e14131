#include "frmprogress.h"

#include "windowroles.h"

#include <QProgressBar>
#include <QVBoxLayout>

frmProgress::frmProgress(QWidget* owner) : QWidget(owner, Qt::Tool) {
    setObjectName(QStringLiteral("frmProgress"));
    installWindowRoles();
    setWindowTitle(QStringLiteral("Progress ..."));
    setAttribute(Qt::WA_DeleteOnClose, false);
    m_pb = new QProgressBar(this);
    m_pb->setObjectName(QStringLiteral("PB"));
    m_pb->setAccessibleName(QStringLiteral("Progress"));
    m_pb->setTextVisible(false);
    auto* lay = new QVBoxLayout(this);
    lay->addWidget(m_pb);
    resize(320, 50);
}

void frmProgress::finish() {
    hide();
    if (isWindow() && windowHandle())
        destroy();
}
