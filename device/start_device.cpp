#include "device/start_device.h"

#include "common/app_info.h"
#include "common/clock.h"
#include "common/messages.h"
#include "common/numfmt.h"
#include "common/prompter.h"
#include "device/device_host.h"
#include "device/param_reply.h"

#include <algorithm>

namespace {

// A delay field holds a number of zero or more; anything else (a sign included) is put right.
bool delayValue(const QString &text, double *out)
{
    double v = 0;
    if (!numfmt::parse(text, &v) || v < 0)
        return false;
    *out = v;
    return true;
}

QDate withinRange(QDate d)
{
    return std::clamp(d, StartDevice::earliestDate(), StartDevice::latestDate());
}

// The pickers show whole seconds, and whole seconds is what the logger is given.
QTime wholeSeconds(QTime t) { return QTime(t.hour(), t.minute(), t.second()); }

} // namespace

StartDevice::StartDevice(DeviceHost &host, QObject *parent) : LoggerDialog(host, parent)
{
    m_startTimer.setObjectName(QStringLiteral("StartTimer"));
    m_startTimer.setInterval(kStartTimerMs);
    connect(&m_sendTimer, &AckPollExchange::retrying, this, &StartDevice::onRetrying);
    connect(&m_startTimer, &QTimer::timeout, this, &StartDevice::onStartTimer);
}

void StartDevice::onLinkLost(bool wasWaiting, const QString &reason)
{
    // A run cut short says how far it got; with no port there is nothing to send to, so only
    // "Exit" is left, as when the logger never answered.
    std::optional<DeviceError> why;
    if (running()) {
        why = DeviceError{DeviceError::Kind::LinkLost, msg::kStartInterrupted.arg(m_step), reason};
        m_status = why->message;
        m_step = 0;
        m_progressVisible = false;
    } else if (wasWaiting) {
        why = DeviceError{DeviceError::Kind::LinkLost, QString(), reason};
    }
    m_sendEnabled = false;
    Q_EMIT changed();
    if (why)
        fail(*why);
}

void StartDevice::load()
{
    m_hrs = QStringLiteral("0");
    m_min = QStringLiteral("1");
    m_host.Dsb_Controls();
    m_cmdBuf.setAll('R', 'P', 0, 0, 0);
    m_timerPara.start(m_cmdBuf.frame());
    setBusy(true);
    Q_EMIT changed();
}

void StartDevice::presetByOpener()
{
    const QDateTime now = Clock::current().now();
    m_todayShown = now.date();
    m_date = withinRange(now.date());
    m_time = wholeSeconds(now.time());
    m_startTimer.start();
    setUnit(Unit::Minute);
    setIntervalText(QStringLiteral("1"));
    Q_EMIT changed();
}

void StartDevice::onParameters(const QByteArray &reply)
{
    // The pointer goes back before any box: nobody should see an hourglass over a question.
    setBusy(false);
    if (!ParamReply(reply).enabled()) {
        const DeviceError why{DeviceError::Kind::NotEnabled, msg::kNotEnabled};
        m_host.prompter().message(why.message, appinfo::title(), Prompter::Icon::Information);
        close();
        fail(why);
        Q_EMIT closeRequested();
        return;
    }
    m_sendEnabled = true;
    Q_EMIT changed();
}

void StartDevice::onNoParameters()
{
    // "Send" stays disabled: there is no logger to send to, only "Exit" is left.
    Q_EMIT changed();
    reportNoAnswer();
}

void StartDevice::setDate(QDate d)
{
    if (!d.isValid())
        return;
    m_date = withinRange(d);
    Q_EMIT changed();
}

void StartDevice::setTime(QTime t)
{
    if (!t.isValid())
        return;
    m_time = wholeSeconds(t);
    Q_EMIT changed();
}

void StartDevice::userChangedTime(QTime t)
{
    m_startTimer.stop();
    setTime(t);
}

void StartDevice::onStartTimer()
{
    if (!m_startTimer.isActive())
        return;
    const QDateTime now = Clock::current().now();
    // Past midnight the date follows too, unless the user has picked a date of their own:
    // a dialog left open overnight must not give the logger yesterday's date with today's time.
    if (m_date == withinRange(m_todayShown))
        m_date = withinRange(now.date());
    m_todayShown = now.date();
    m_time = wholeSeconds(now.time());
    Q_EMIT changed();
}

QStringList StartDevice::intervalItems(Unit u)
{
    QStringList items;
    switch (u) {
    case Unit::Second:
        items = {QStringLiteral("5"), QStringLiteral("10"), QStringLiteral("15"),
                 QStringLiteral("30")};
        break;
    case Unit::Minute:
        for (int i = 1; i <= 59; ++i)
            items << QString::number(i);
        break;
    case Unit::Hour:
        for (int i = 1; i <= 24; ++i)
            items << QString::number(i);
        break;
    }
    return items;
}

void StartDevice::setUnit(Unit u)
{
    m_unit = u;
    m_intervalList = intervalItems(u);
    m_intervalIndex = 0;
    Q_EMIT changed();
}

QString StartDevice::intervalText() const
{
    return m_intervalIndex >= 0 && m_intervalIndex < m_intervalList.size()
               ? m_intervalList.at(m_intervalIndex)
               : QString();
}

void StartDevice::setIntervalIndex(int i)
{
    if (i < 0 || i >= m_intervalList.size())
        return;
    m_intervalIndex = i;
    Q_EMIT changed();
}

bool StartDevice::setIntervalText(const QString &text)
{
    const int i = int(m_intervalList.indexOf(text));
    if (i < 0)
        return false;
    setIntervalIndex(i);
    return true;
}

void StartDevice::setStartLater(bool later)
{
    m_startLater = later;
    Q_EMIT changed();
}

void StartDevice::setHrs(const QString &text)
{
    m_hrs = text;
    double v = 0;
    if (!delayValue(text, &v)) {
        m_hrs = QStringLiteral("0");
        Q_EMIT delayCorrected(true);
    }
    if (v > 24) {
        m_hrs = QStringLiteral("24");
        Q_EMIT delayCorrected(true);
        setMin(QStringLiteral("0"));
    }
    Q_EMIT changed();
}

void StartDevice::setMin(const QString &text)
{
    m_min = text;
    double v = 0;
    bool corrected = false;
    if (!delayValue(text, &v)) {
        m_min = QStringLiteral("1");
        v = 1;
        corrected = true;
    }
    if (v > 59) {
        m_min = QStringLiteral("59");
        v = 59;
        corrected = true;
    }
    if (v == 0 && numfmt::parseOr(m_hrs, 0) == 0) {
        m_min = QStringLiteral("1");
        corrected = true;
    }
    if (corrected)
        Q_EMIT delayCorrected(false);
    Q_EMIT changed();
}

int StartDevice::delayMinutes() const
{
    const double minutes = numfmt::parseOr(m_hrs, 0) * 60 + numfmt::parseOr(m_min, 0);
    return int(std::clamp(numfmt::roundHalfEven(minutes), 0.0, 65535.0));
}

void StartDevice::setLocation(const QString &text) { m_location = text.left(kLocationLength); }

QByteArray StartDevice::locationBytes(const QString &text)
{
    QByteArray b(kLocationLength, ' ');
    for (int i = 0; i < kLocationLength && i < text.size(); ++i)
        b[i] = char(text.at(i).unicode() & 0xFF);
    return b;
}

QString StartDevice::charactersNotKept(const QString &text)
{
    QStringList seen;
    for (const char32_t c : text.left(kLocationLength).toUcs4()) {
        if (c <= 0xFF)
            continue;
        const QString quoted = QLatin1Char('"') + QString::fromUcs4(&c, 1) + QLatin1Char('"');
        if (!seen.contains(quoted))
            seen << quoted;
    }
    return seen.join(QStringLiteral(", "));
}

void StartDevice::Command2()
{
    if (m_closed || !m_sendEnabled || !m_unit || intervalText().isEmpty())
        return;
    // A delayed start of no minutes would be a start now that says it is not.
    if (m_startLater && delayMinutes() == 0)
        setMin(QStringLiteral("1"));

    const QString lost = charactersNotKept(m_location);
    if (!lost.isEmpty() &&
        !m_host.prompter().askYesNo(msg::kLocationNotKept.arg(lost), msg::kTitleWarning,
                                    Prompter::Icon::Information))
        return;

    m_sendEnabled = false;
    m_host.Dsb_Controls();

    // Everything the twelve steps send is taken now; what the user changes during the run
    // belongs to the next one.
    m_run.date = m_date;
    m_run.time = m_time;
    m_run.interval.unit = *m_unit == Unit::Second ? 'S' : *m_unit == Unit::Minute ? 'M' : 'H';
    m_run.interval.count = intervalText().toInt();
    m_run.later = m_startLater;
    m_run.delay = delayMinutes();
    m_run.location = locationBytes(m_location);

    m_programmed.reset();
    clearError();
    m_status.clear();
    m_step = 1;
    Send_Start_Step();
    m_progressVisible = true;
    Q_EMIT changed();
}

void StartDevice::Send_Start_Step()
{
    if (m_closed)
        return;
    if (m_step >= 1 && m_step <= kSteps) {
        const Settings &r = m_run;
        // Two-digit values go out as separate digits, units first.
        const auto digits = [this](char what, int v) {
            m_cmdBuf.setAll('S', std::uint8_t(what), std::uint8_t(v % 10), std::uint8_t(v / 10),
                            0);
        };
        switch (m_step) {
        case 1:
            digits('S', r.time.second());
            break;
        case 2:
            digits('M', r.time.minute());
            break;
        case 3:
            digits('H', r.time.hour());
            break;
        case 4:
            digits('D', r.date.day());
            break;
        case 5:
            digits('N', r.date.month());
            break;
        case 6: {
            const int y = r.date.year() - 2000;
            m_cmdBuf.setAll('S', 'Y', std::uint8_t(y % 4), std::uint8_t(y / 4), 0);
            break;
        }
        case 7:
            m_cmdBuf.setAll('S', 'T', std::uint8_t(r.interval.unit),
                            std::uint8_t(r.interval.count % 10),
                            std::uint8_t(r.interval.count / 10));
            break;
        case 8:
            if (r.later)
                m_cmdBuf.setAll('A', 'L', std::uint8_t(r.delay / 256),
                                std::uint8_t(r.delay % 256), 0);
            else
                m_cmdBuf.setAll('A', 'S', 0, 0, 0);
            break;
        default: {
            // Steps 9 to 12 carry the location four bytes at a time, "E" to "H".
            const int at = (m_step - 9) * 4;
            m_cmdBuf.setAll(char('E' + (m_step - 9)), std::uint8_t(r.location.at(at)),
                            std::uint8_t(r.location.at(at + 1)),
                            std::uint8_t(r.location.at(at + 2)),
                            std::uint8_t(r.location.at(at + 3)));
            break;
        }
        }
        m_progressValue = m_step;
        // Repeated every second, without limit, until acknowledged or the dialog is closed.
        m_sendTimer.start(m_cmdBuf.frame());
        Q_EMIT changed();
        return;
    }
    m_programmed = m_run;
    m_sendEnabled = true;
    m_host.Enb_Controls();
    m_progressVisible = false;
    m_status = msg::kAllStepsAcknowledged;
    Q_EMIT changed();
}

void StartDevice::onAcknowledged()
{
    m_status.clear();
    ++m_step;
    Send_Start_Step();
}

void StartDevice::onRetrying()
{
    if (!running())
        return;
    m_status = msg::kWaitingForStep.arg(m_step)
                   .arg(msg::kStartStepNames[m_step - 1])
                   .arg(m_sendTimer.sends());
    Q_EMIT changed();
}

void StartDevice::onClosing()
{
    m_startTimer.stop();
    m_sendEnabled = true;
    m_progressVisible = false;
}
