#pragma once
// The wrapper through which both programs ask for files and colours. It translates its
// arguments into a dialog request and the dialog's answer back into its in-and-out
// arguments; the dialogs themselves are the platform's (dialogbackend.h).
#include <QString>
#include <array>
#include <cstdint>

class QObject;

class GCommonDialog {
public:
    bool VBGetOpenFileName(QString& Filename, QString& FileTitle, bool FileMustExist, bool MultiSelect, bool& ReadOnly,
                           bool HideReadOnly, QString& Filter, qint32& FilterIndex, const QString& InitDir,
                           const QString& DlgTitle, const QString& DefaultExt, QObject* Owner, qint32& flags);
    bool VBGetSaveFileName(QString& Filename, QString& FileTitle, bool OverWritePrompt, QString& Filter,
                           qint32& FilterIndex, const QString& InitDir, const QString& DlgTitle,
                           const QString& DefaultExt, QObject* Owner, qint32& flags);
    // `color` is a COLORREF (0x00BBGGRR); -1 after a cancel.
    bool VBChooseColor(qint32& color, bool AnyColor, bool FullOpen, bool DisableFullOpen, QObject* Owner);

    qint32 APIReturn() const { return m_apiReturn; }
    qint32 ExtendedError() const { return m_extendedError; }
    uint32_t CustomColor(int index) const;
    void setCustomColor(int index, uint32_t color);

    // The flags the last colour dialog was opened with (CC_ values).
    uint32_t lastColorFlags() const { return m_lastColorFlags; }

    // "Desc|*.ext" -> {"Desc", "*.ext"}: every "|" and ":" separates.
    static QStringList splitFilter(const QString& filter);

private:
    bool runFile(bool save, QString& Filename, QString& FileTitle, uint32_t dlgFlags, QString& Filter,
                 qint32& FilterIndex, const QString& InitDir, const QString& DlgTitle, const QString& DefaultExt,
                 QObject* Owner, qint32& flags, bool* ReadOnly);

    qint32 m_apiReturn = 0;
    qint32 m_extendedError = 0;
    bool m_customFilled = false;
    std::array<uint32_t, 16> m_custom{};
    uint32_t m_lastColorFlags = 0;
};
