#include "device/device_details.h"

#include "common/clock.h"
#include "common/messages.h"
#include "common/numfmt.h"
#include "common/prompter.h"
#include "common/text_from_file.h"
#include "device/device_host.h"
#include "device/param_reply.h"

#include <cmath>

namespace {

// A whole number from `lo` to `hi` written in `text` (blanks around it allowed).
bool wholeNumberIn(const QString &text, int lo, int hi, int *out)
{
    double v = 0;
    if (!numfmt::parse(text, &v) || v != std::floor(v) || v < lo || v > hi)
        return false;
    *out = int(v);
    return true;
}

} // namespace

DeviceDetails::DeviceDetails(DeviceHost &host, QObject *parent) : LoggerDialog(host, parent) {}

void DeviceDetails::onLinkLost(bool wasWaiting, const QString &reason)
{
    // A request or a programming step still waiting has ended; the panels stay as they are,
    // and "Send" says what every command says without a port.
    if (!wasWaiting)
        return;
    m_progressVisible = false;
    m_sendEnabled = true;
    Q_EMIT changed();
    fail({DeviceError::Kind::LinkLost, QString(), reason});
}

void DeviceDetails::Fill_Date()
{
    const QDate today = Clock::current().now().date();
    m_tday = QString::number(today.day());
    m_tmnt = QString::number(today.month());
    m_tyrs = QString::number(today.year() - 2000);
}

void DeviceDetails::activate()
{
    if (m_closed)
        return;
    Fill_Date();
    m_host.Dsb_Controls();
    // Coming back to the dialog while the logger is still being asked or programmed: a second
    // request would discard the reply the first one waits for.
    if (!m_timerPara.isRunning() && !m_sendTimer.isRunning() && m_host.okPort())
        requestParameters();
    Q_EMIT changed();
}

void DeviceDetails::requestParameters()
{
    // Only the letters are set: the parameter bytes go out as the last frame left them.
    m_cmdBuf.setLetters('R', 'P');
    m_timerPara.start(m_cmdBuf.frame());
    setBusy(true);
}

void DeviceDetails::onParameters(const QByteArray &reply)
{
    const ParamReply r(reply);
    if (!r.enabled()) {
        m_details.reset();
        m_frame1Visible = false;
        m_frame2Visible = true;
        Fill_Date();
        setBusy(false);
        Q_EMIT changed();
        // The panel's own text is what the user is told.
        fail({DeviceError::Kind::NotEnabled, msg::kEnablePanel});
        return;
    }
    m_details = LoggerDetails::fromReply(r);
    clearError();
    m_labels = describe(*m_details, m_labels);
    setBusy(false);
    Q_EMIT changed();
    Q_EMIT detailsRead(*m_details);
}

void DeviceDetails::onNoParameters()
{
    Q_EMIT changed();
    reportNoAnswer();
}

DeviceDetails::Labels DeviceDetails::describe(const LoggerDetails &d, const Labels &before)
{
    Labels l = before;
    l.locationVisible = true;
    l.Llocation1 = msg::kLocationPrefix + textfromfile::shown(d.location);
    l.serialVisible = true;
    l.lserno1 = msg::kDetailPrefix + d.identity.serialText();
    if (const QString name = d.modelName(); !name.isEmpty())
        l.lmodel1 = msg::kDetailPrefix + name;
    l.ldevstatus1 = msg::kDetailPrefix + d.statusText();
    l.lno_readings1 = msg::kDetailPrefix + d.readingsText();
    if (const QString interval = d.intervalText(); !interval.isEmpty())
        l.linterval1 = msg::kDetailPrefix + interval;
    return l;
}

std::optional<QString> DeviceDetails::checkSerial(const QString &text, int *out)
{
    double v = 0;
    if (!numfmt::parse(text, &v))
        return msg::kSerNoNotNumeric;
    // Two bytes without a sign carry the number.
    if (v < 0)
        return msg::kSerNoNegative;
    // A fraction is rounded, halves to even like every rounding of the program; 9999.5 thus
    // becomes 10000, out of range like 10000 itself.
    const double serial = numfmt::roundHalfEven(v);
    if (serial >= 10000)
        return msg::kSerNoOutOfRange;
    *out = int(serial);
    return std::nullopt;
}

std::optional<QString> DeviceDetails::checkDay(const QString &text, int *out)
{
    if (!wholeNumberIn(text, 1, 31, out))
        return msg::kIdDayOutOfRange;
    return std::nullopt;
}

std::optional<QString> DeviceDetails::checkMonth(const QString &text, int *out)
{
    if (!wholeNumberIn(text, 1, 12, out))
        return msg::kIdMonthOutOfRange;
    return std::nullopt;
}

std::optional<QString> DeviceDetails::checkYear(const QString &text, int *out)
{
    if (!wholeNumberIn(text, 0, 255, out))
        return msg::kIdYearOutOfRange;
    return std::nullopt;
}

void DeviceDetails::Command2()
{
    if (m_closed || m_sendTimer.isRunning())
        return;
    if (!m_host.okPort()) {
        m_host.prompter().message(msg::kInvalidPort);
        return;
    }
    m_sendEnabled = false;
    m_host.Dsb_Controls();

    int serial = 0, day = 0, month = 0, year = 0;
    std::optional<QString> why = checkSerial(m_tSerno, &serial);
    if (!why)
        why = checkDay(m_tday, &day);
    if (!why)
        why = checkMonth(m_tmnt, &month);
    if (!why)
        why = checkYear(m_tyrs, &year);
    if (why) {
        m_sendEnabled = true;
        Q_EMIT changed();
        m_host.prompter().message(*why);
        return;
    }

    // A parameter request still waiting would throw away the acknowledgements; the details are
    // requested again once the serial number is written.
    if (m_timerPara.isRunning()) {
        m_timerPara.cancel();
        setBusy(false);
    }
    m_programmed.reset();
    m_serNo = serial;
    m_idDay = std::uint8_t(day);
    m_idMonth = std::uint8_t(month);
    m_idYear = std::uint8_t(year);
    m_sendStep = 1;
    Send_Step();
    m_progressVisible = true;
    Q_EMIT changed();
}

void DeviceDetails::Send_Step()
{
    if (m_closed)
        return;
    m_cmdBuf.set(4, 0);
    if (m_sendStep == 1 || m_sendStep == 2) {
        if (m_sendStep == 1) {
            m_cmdBuf.set(0, 'Y');
            m_cmdBuf.set(1, m_idDay);
            m_cmdBuf.set(2, m_idMonth);
            m_cmdBuf.set(3, m_idYear);
        } else {
            m_cmdBuf.set(0, 'X');
            m_cmdBuf.set(1, std::uint8_t(m_serNo / 256));
            m_cmdBuf.set(2, std::uint8_t(m_serNo % 256));
            m_cmdBuf.set(3, 0);
        }
        m_progressValue = m_sendStep;
        // Repeated every second until the logger acknowledges it or the dialog is closed.
        m_sendTimer.start(m_cmdBuf.frame());
        Q_EMIT changed();
        return;
    }
    m_progressVisible = false;
    m_frame1Visible = true;
    m_frame2Visible = false;
    m_sendEnabled = true;
    requestParameters();
    Q_EMIT changed();
}

void DeviceDetails::onAcknowledged()
{
    if (m_sendStep == 2) {
        const std::uint8_t id[3] = {m_idDay, m_idMonth, m_idYear};
        m_programmed = LoggerIdentity::fromLogger(m_serNo, id, QString());
    }
    ++m_sendStep;
    Send_Step();
}

void DeviceDetails::onClosing() { m_labels.serialVisible = false; }
