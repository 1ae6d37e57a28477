#pragma once

#include "device/logger_dialog.h"

#include <QDate>
#include <QString>
#include <QStringList>
#include <QTime>
#include <QTimer>

#include <optional>

class DeviceHost;

// Everything the Start Device dialog (Frmdata1) does, without a window. It programs a logger for
// a new run: clock, interval, start now or after a delay, and a 16-character location, sent as
// twelve frames, each repeated every second until the logger acknowledges it.
//
// Life of the dialog: load() asks for the parameter block (up to five times); a logger that has
// never been enabled closes the dialog, one that answers makes "Send" usable, one that stays
// silent leaves only "Exit". Command2() ("Send") takes the settings as they are at that moment
// and runs the twelve steps; the dialog stays open afterwards for another run or "Exit".
//
// The dialog mirrors what this object holds and passes on what the user does; tests drive this
// object directly and fire its timers by hand.
class StartDevice : public LoggerDialog
{
    Q_OBJECT
public:
    static constexpr int kStartTimerMs = 1000;
    static constexpr int kSteps = 12;
    static constexpr int kLocationLength = 16;

    enum class Unit { Second, Minute, Hour };

    // What a run of the twelve steps gives the logger, taken when "Send" is pressed.
    struct Settings
    {
        // The logger's clock: date and time of day.
        QDate date;
        QTime time;
        LoggerDetails::Interval interval;
        // Start after `delay` minutes rather than now.
        bool later = false;
        int delay = 0;
        // The 16 bytes sent.
        QByteArray location;
    };

    // The range of DtpDate. The year goes out as (year - 2000) mod 4 and div 4, one byte each,
    // so 3023 is the last year a logger can be given.
    static QDate earliestDate() { return QDate(2000, 1, 1); }
    static QDate latestDate() { return QDate(3023, 12, 31); }

    explicit StartDevice(DeviceHost &host, QObject *parent = nullptr);

    // Form load: the delay fields get their first values, the device commands are disabled and
    // the parameter block is requested.
    void load();
    // What the main window does right after opening the dialog: today and now into the pickers,
    // StartTimer running, "Minute" with the interval "1".
    void presetByOpener();

    // DtpDate and DtpTime.
    QDate date() const { return m_date; }
    QTime time() const { return m_time; }
    void setDate(QDate d);
    // The program setting the time (the opener); StartTimer keeps running.
    void setTime(QTime t);
    // The user changing the time: StartTimer stops so the chosen time stays.
    void userChangedTime(QTime t);
    void onStartTimer();
    QTimer &StartTimer() { return m_startTimer; }

    // OptSecond / OptMinute / OptHour and CmbInterval.
    static QStringList intervalItems(Unit u);
    // Choosing a unit fills the list with its intervals and selects the first.
    void setUnit(Unit u);
    std::optional<Unit> unit() const { return m_unit; }
    QStringList intervalList() const { return m_intervalList; }
    int intervalIndex() const { return m_intervalIndex; }
    QString intervalText() const;
    // Picks an item; an index outside the list is ignored.
    void setIntervalIndex(int i);
    // Picks the item with this text; false when the list has none.
    bool setIntervalText(const QString &text);

    // Optstrt / Optlater, and the delay fields hrs and min. setHrs and setMin are the
    // text-change handlers: they put right what cannot be a delay.
    void setStartLater(bool later);
    bool startLater() const { return m_startLater; }
    bool delayFieldsEnabled() const { return m_startLater; }
    void setHrs(const QString &text);
    void setMin(const QString &text);
    QString hrs() const { return m_hrs; }
    QString min() const { return m_min; }
    // hrs * 60 + min in whole minutes, halves to even.
    int delayMinutes() const;

    // TxtLocation (cut to 16 characters).
    void setLocation(const QString &text);
    QString location() const { return m_location; }
    // The 16 bytes sent for a location text: blanks, overwritten from the start by the low
    // 8 bits of each character.
    static QByteArray locationBytes(const QString &text);
    // The characters of `text` that a logger cannot keep (codes above 255), each in quotes,
    // comma-separated; empty when the text reads back as typed.
    static QString charactersNotKept(const QString &text);

    // "Send" (Command2).
    void Command2();
    // Sends the frame of the current step, or ends the run after step 12.
    void Send_Start_Step();

    // What the dialog shows.
    bool sendEnabled() const { return m_sendEnabled; }
    // The settings are taken when "Send" is pressed; during a run they are locked so nobody
    // believes a change reaches the logger.
    bool settingsEnabled() const { return !running(); }
    bool progressVisible() const { return m_progressVisible; }
    int progressValue() const { return m_progressValue; }
    QString statusText() const { return m_status; }

    // Dialog state.
    int step() const { return m_step; }
    // What the logger was given by the last run that it acknowledged to the end.
    const std::optional<Settings> &programmed() const { return m_programmed; }

Q_SIGNALS:
    // The program replaced what the user typed in hrs or min; the dialog selects the new text
    // so the next key press replaces it rather than adding to it.
    void delayCorrected(bool inHrs);
    // The logger has never been enabled: the dialog must close.
    void closeRequested();

private:
    void onParameters(const QByteArray &reply) override;
    void onNoParameters() override;
    void onAcknowledged() override;
    void onLinkLost(bool wasWaiting, const QString &reason) override;
    void onClosing() override;
    void onRetrying();
    bool running() const { return m_step >= 1 && m_step <= kSteps && !m_closed; }

    QTimer m_startTimer;

    QDate m_date;
    QDate m_todayShown; // the date the pickers were last given as "today"
    QTime m_time;
    std::optional<Unit> m_unit;
    QStringList m_intervalList;
    int m_intervalIndex = -1;
    bool m_startLater = false;
    QString m_hrs;
    QString m_min;
    QString m_location;

    Settings m_run;
    std::optional<Settings> m_programmed;
    int m_step = 0;
    bool m_sendEnabled = false;
    bool m_progressVisible = false;
    int m_progressValue = 0;
    QString m_status;
};
