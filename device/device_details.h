#pragma once

#include "common/logger_identity.h"
#include "device/device_results.h"
#include "device/logger_dialog.h"

#include <QString>

#include <optional>

class DeviceHost;
class ParamReply;

// Everything the Device Details dialog (frmIDdev) does, without a window: it asks the logger for
// its parameter block, turns the block into the texts of the details panel (Frame1) and, for a
// logger that has no serial number yet, programs one from the programming panel (Frame2) with
// "Y" (identification bytes) and "X" (serial number). The dialog shows what this object holds
// and passes on what the user types and clicks; tests drive this object directly and fire its
// timers by hand.
//
// The dialog keeps the main window's device commands disabled from its first activation until
// it is closed; close() ends whatever is still waiting.
//
// Each request ends in detailsRead() with the logger's details, or in failed() with why not (a
// logger never enabled fails with NotEnabled and gets the programming panel); the labels are
// made from those values.
class DeviceDetails : public LoggerDialog
{
    Q_OBJECT
public:
    // Texts of the value labels of the details panel. A label keeps its text when a reply says
    // nothing it can show (unknown model code, unknown interval unit).
    struct Labels
    {
        QString lserno1;
        QString Llocation1;
        QString lmodel1;
        QString ldevstatus1;
        QString lno_readings1;
        QString linterval1;
        bool serialVisible = false;   // lSerNo and lserno1
        bool locationVisible = false; // Llocation and Llocation1
    };

    explicit DeviceDetails(DeviceHost &host, QObject *parent = nullptr);

    // Activation of the dialog (its first show, and each return to it from another window of
    // the program): today's date into the identification boxes, device commands disabled, the
    // parameter block requested. While a request or a programming step is still waiting, a
    // new activation leaves it alone instead of cutting into it.
    void activate();
    // The "Send" button (Command2).
    void Command2();
    // Sends the frame of the current SendStep (1 "Y", 2 "X"); step 3 shows the details and
    // requests the parameter block again.
    void Send_Step();
    // Today's day, month and year - 2000 into the identification boxes.
    void Fill_Date();

    // What the user typed into the boxes of the programming panel.
    void setDay(const QString &t) { m_tday = t; }
    void setMonth(const QString &t) { m_tmnt = t; }
    void setYear(const QString &t) { m_tyrs = t; }
    void setSerial(const QString &t) { m_tSerno = t; }
    QString tday() const { return m_tday; }
    QString tmnt() const { return m_tmnt; }
    QString tyrs() const { return m_tyrs; }
    QString tSerno() const { return m_tSerno; }

    // What the dialog shows.
    const Labels &labels() const { return m_labels; }
    bool frame1Visible() const { return m_frame1Visible; }
    bool frame2Visible() const { return m_frame2Visible; }
    bool progressVisible() const { return m_progressVisible; }
    int progressValue() const { return m_progressValue; }
    bool sendEnabled() const { return m_sendEnabled; }

    // Dialog state.
    int SendStep() const { return m_sendStep; }
    int SerNo() const { return m_serNo; }

    // The logger's details from the last reply that carried them.
    const std::optional<LoggerDetails> &details() const { return m_details; }
    // The serial number and identification bytes the programming panel wrote, once the logger
    // has acknowledged both.
    const std::optional<LoggerIdentity> &programmed() const { return m_programmed; }

    // The label texts the details give, starting from `before` (what the labels showed).
    // Pure, for the dialog and for tests.
    static Labels describe(const LoggerDetails &details, const Labels &before);
    static Labels describe(const ParamReply &reply, const Labels &before)
    {
        return describe(LoggerDetails::fromReply(reply), before);
    }

    // Why a serial number or an identification field cannot be sent; nullopt when it can.
    // The value goes to `out`.
    static std::optional<QString> checkSerial(const QString &text, int *out);
    static std::optional<QString> checkDay(const QString &text, int *out);
    static std::optional<QString> checkMonth(const QString &text, int *out);
    static std::optional<QString> checkYear(const QString &text, int *out);

Q_SIGNALS:
    void detailsRead(const LoggerDetails &details);

private:
    void requestParameters();
    void onParameters(const QByteArray &reply) override;
    void onNoParameters() override;
    void onAcknowledged() override;
    void onLinkLost(bool wasWaiting, const QString &reason) override;
    void onClosing() override;

    Labels m_labels;
    std::optional<LoggerDetails> m_details;
    std::optional<LoggerIdentity> m_programmed;
    QString m_tday, m_tmnt, m_tyrs, m_tSerno;
    bool m_frame1Visible = true;
    bool m_frame2Visible = false;
    bool m_progressVisible = false;
    int m_progressValue = 0;
    bool m_sendEnabled = true;

    int m_sendStep = 0;
    int m_serNo = 0;
    std::uint8_t m_idDay = 0, m_idMonth = 0, m_idYear = 0;
};
