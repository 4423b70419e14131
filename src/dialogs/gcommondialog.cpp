#include "gcommondialog.h"

#include "dialogbackend.h"

#include <QStringList>

namespace {
constexpr uint32_t OFN_READONLY = 0x1;
constexpr uint32_t OFN_OVERWRITEPROMPT = 0x2;
constexpr uint32_t OFN_HIDEREADONLY = 0x4;
constexpr uint32_t OFN_ENABLEHOOK = 0x20;
constexpr uint32_t OFN_ENABLETEMPLATE = 0x40;
constexpr uint32_t OFN_ALLOWMULTISELECT = 0x200;
constexpr uint32_t OFN_FILEMUSTEXIST = 0x1000;

constexpr uint32_t CC_RGBINIT = 0x1;
constexpr uint32_t CC_FULLOPEN = 0x2;
constexpr uint32_t CC_PREVENTFULLOPEN = 0x4;
constexpr uint32_t CC_SOLIDCOLOR = 0x80;
constexpr uint32_t CC_ANYCOLOR = 0x100;

// The system colours 0..15 of a standard desktop, as COLORREF values.
constexpr std::array<uint32_t, 16> kSystemColours = {0xC8C8C8, 0x000000, 0xD1B499, 0xDBCDBF, 0xF0F0F0, 0xFFFFFF,
                                                     0x646464, 0x000000, 0x000000, 0x000000, 0xB4B4B4, 0xFCF7F4,
                                                     0xABABAB, 0xFF9933, 0xFFFFFF, 0xF0F0F0};

// A text of the dialog, up to its first NUL. Paths are kept whole, however long: a path cut
// to a fixed buffer would name another file than the one the user chose.
QString fromBuffer(const QString& s) {
    const qsizetype nul = s.indexOf(QChar(0));
    return nul >= 0 ? s.left(nul) : s;
}
} // namespace

QStringList GCommonDialog::splitFilter(const QString& filter) {
    QString f = filter;
    f.replace(u'|', QChar(0)).replace(u':', QChar(0));
    // Two NULs close the list.
    const qsizetype end = f.indexOf(QString(2, QChar(0)));
    if (end >= 0)
        f.truncate(end);
    if (f.isEmpty())
        return {};
    return f.split(QChar(0));
}

bool GCommonDialog::runFile(bool save, QString& Filename, QString& FileTitle, uint32_t dlgFlags, QString& Filter,
                            qint32& FilterIndex, const QString& InitDir, const QString& DlgTitle,
                            const QString& DefaultExt, QObject* Owner, qint32& flags, bool* ReadOnly) {
    m_apiReturn = 0;
    m_extendedError = 0;
    FileDialogRequest req;
    req.save = save;
    req.flags = dlgFlags | (uint32_t(flags) & ~(OFN_ENABLEHOOK | OFN_ENABLETEMPLATE));
    req.owner = Owner;
    req.filterParts = splitFilter(Filter);
    req.filterIndex = FilterIndex;
    req.fileName = fromBuffer(Filename);
    req.initDir = InitDir;
    req.title = DlgTitle;
    req.defaultExt = DefaultExt;

    const FileDialogResult res = dialogBackend().runFileDialog(req);
    m_apiReturn = res.ret;
    if (res.ret == 1) {
        Filename = fromBuffer(res.fileName);
        FileTitle = fromBuffer(res.fileTitle);
        flags = qint32(res.flags);
        FilterIndex = res.filterIndex;
        const int d = (res.filterIndex - 1) * 2;
        Filter = req.filterParts.value(d);
        if (d + 1 < req.filterParts.size())
            Filter += QStringLiteral("|") + req.filterParts.value(d + 1);
        if (ReadOnly)
            *ReadOnly = (res.flags & OFN_READONLY) != 0;
        return true;
    }
    if (res.ret != 0)
        m_extendedError = qint32(res.extendedError);
    Filename.clear();
    FileTitle.clear();
    flags = 0;
    FilterIndex = -1;
    Filter.clear();
    return false;
}

bool GCommonDialog::VBGetOpenFileName(QString& Filename, QString& FileTitle, bool FileMustExist, bool MultiSelect,
                                      bool& ReadOnly, bool HideReadOnly, QString& Filter, qint32& FilterIndex,
                                      const QString& InitDir, const QString& DlgTitle, const QString& DefaultExt,
                                      QObject* Owner, qint32& flags) {
    uint32_t f = 0;
    if (FileMustExist)
        f |= OFN_FILEMUSTEXIST;
    if (MultiSelect)
        f |= OFN_ALLOWMULTISELECT;
    if (ReadOnly)
        f |= OFN_READONLY;
    if (HideReadOnly)
        f |= OFN_HIDEREADONLY;
    return runFile(false, Filename, FileTitle, f, Filter, FilterIndex, InitDir, DlgTitle, DefaultExt, Owner, flags,
                   &ReadOnly);
}

bool GCommonDialog::VBGetSaveFileName(QString& Filename, QString& FileTitle, bool OverWritePrompt, QString& Filter,
                                      qint32& FilterIndex, const QString& InitDir, const QString& DlgTitle,
                                      const QString& DefaultExt, QObject* Owner, qint32& flags) {
    uint32_t f = OFN_HIDEREADONLY;
    if (OverWritePrompt)
        f |= OFN_OVERWRITEPROMPT;
    return runFile(true, Filename, FileTitle, f, Filter, FilterIndex, InitDir, DlgTitle, DefaultExt, Owner, flags,
                   nullptr);
}

bool GCommonDialog::VBChooseColor(qint32& color, bool AnyColor, bool FullOpen, bool DisableFullOpen, QObject* Owner) {
    m_apiReturn = 0;
    m_extendedError = 0;
    if (!m_customFilled) {
        m_custom = kSystemColours;
        m_customFilled = true;
    }
    uint32_t f = (AnyColor ? CC_ANYCOLOR : CC_SOLIDCOLOR) | CC_RGBINIT;
    if (FullOpen)
        f |= CC_FULLOPEN;
    if (DisableFullOpen)
        f |= CC_PREVENTFULLOPEN;
    m_lastColorFlags = f;
    const ColorDialogResult res = dialogBackend().runColorDialog(uint32_t(color) & 0xFFFFFF, f, m_custom, Owner);
    m_apiReturn = res.ret;
    if (res.ret == 1) {
        color = qint32(res.color & 0xFFFFFF);
        return true;
    }
    if (res.ret != 0)
        m_extendedError = qint32(res.extendedError);
    color = -1;
    return false;
}

uint32_t GCommonDialog::CustomColor(int index) const {
    if (index < 0 || index > 15)
        return 0;
    return m_customFilled ? m_custom[index] : kSystemColours[index];
}

void GCommonDialog::setCustomColor(int index, uint32_t color) {
    if (index < 0 || index > 15)
        return;
    if (!m_customFilled) {
        m_custom = kSystemColours;
        m_customFilled = true;
    }
    m_custom[index] = color;
}
