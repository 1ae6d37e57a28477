#include "acquisition/live_readings.h"

#include "acquisition/conversions.h"
#include "acquisition/reading_set.h"
#include "acquisition/readings_table.h"
#include "common/clock.h"
#include "common/datetext.h"
#include "common/messages.h"
#include "common/model_codes.h"
#include "common/numfmt.h"
#include "common/prompter.h"
#include "device/command_frame.h"
#include "device/param_reply.h"
#include "device/serial_link.h"

namespace {
int word(const QByteArray &b, int at)
{
    return quint8(b.at(at)) + 256 * quint8(b.at(at + 1));
}
} // namespace

LiveReadings::LiveReadings(SerialLink &link, ReadingSet &set, Prompter &prompter,
                           std::function<int()> intervalSeconds, QObject *parent)
    : QObject(parent), m_link(link), m_set(set), m_prompter(prompter),
      m_interval(std::move(intervalSeconds))
{
    for (QTimer *t : {&m_rtc, &m_rtc1, &m_rtc2})
        t->setSingleShot(true);
    m_rtc.setInterval(500);
    m_rtc1.setInterval(1000);
    m_rtc2.setInterval(1000);
    connect(&m_rtc, &QTimer::timeout, this, &LiveReadings::onTimerRTC);
    connect(&m_rtc1, &QTimer::timeout, this, &LiveReadings::onTimerRTC1);
    connect(&m_rtc2, &QTimer::timeout, this, &LiveReadings::onTimerRTC2);
    connect(&m_link, &SerialLink::lost, this, &LiveReadings::onLinkLost);
}

void LiveReadings::onLinkLost()
{
    // The main window tells the user; the run ends without a message of its own.
    if (!m_active)
        return;
    stop();
    Q_EMIT failed();
}

void LiveReadings::begin()
{
    sendParameterRequest();
    start();
}

void LiveReadings::start()
{
    stop();
    m_reason.clear();
    m_active = true;
    Loop_Cntr = 0;
    RTCinter = 1;
    m_rtc.start();
}

void LiveReadings::stop()
{
    // A parameter check still pending would otherwise start the countdown after a stop.
    m_rtc.stop();
    m_rtc1.stop();
    m_rtc2.stop();
    m_active = false;
    ++m_run;
}

bool LiveReadings::isRunning() const
{
    return m_rtc.isActive() || m_rtc1.isActive() || m_rtc2.isActive();
}

int LiveReadings::replyLength(int model) { return model::isHumidity(model) ? 10 : 8; }

void LiveReadings::sendParameterRequest()
{
    m_link.discardInput();
    m_link.write(frames::make('R', 'P'));
}

void LiveReadings::sendReadingRequest()
{
    m_link.discardInput();
    m_link.write(frames::make('R', 'T'));
}

void LiveReadings::fail(const QString &text, const QString &title, const QString &reason)
{
    stop();
    m_reason = reason;
    // A port that went away meanwhile has been reported by the main window.
    if (m_link.isOpen())
        m_prompter.message(text, title,
                           text == msg::kNotEnabled ? Prompter::Icon::Information
                                                    : Prompter::Icon::None);
    Q_EMIT failed();
}

void LiveReadings::onTimerRTC()
{
    m_rtc.stop();
    const int run = m_run;
    const qint64 count = m_link.bytesWaiting();
    const ParamReply reply(m_link.takeAll());
    if (run != m_run)
        return; // the port went away while it was read
    if (count == 40) {
        if (!reply.enabled()) {
            fail(msg::kNotEnabled, appinfo::title());
            return;
        }
        m_set.setLoggerIdentity(reply.identity(), reply.location());
        m_set.MODEL = reply.model();
        Q_EMIT headerReady();
        m_rtc1.start();
        return;
    }
    if (Loop_Cntr != 4) {
        sendParameterRequest();
        m_rtc.start();
        ++Loop_Cntr;
        return;
    }
    Loop_Cntr = 0;
    fail(msg::kNotResponding, msg::kTitleWarningDots,
         QStringLiteral("no reply to 5 parameter requests: the last brought %1 bytes, 40 wanted")
             .arg(count));
}

void LiveReadings::onTimerRTC1()
{
    const int before = RTCinter--;
    if (before == 1) {
        m_rtc1.stop();
        sendReadingRequest();
        m_rtc2.start();
        return;
    }
    m_rtc1.start();
}

void LiveReadings::onTimerRTC2()
{
    m_rtc2.stop();
    const int run = m_run;
    const qint64 count = m_link.bytesWaiting();
    if (run != m_run)
        return;
    if (count == 0) {
        if (Loop_Cntr == 4) {
            Loop_Cntr = 0;
            fail(msg::kNotResponding, msg::kTitleWarningDots,
                 QStringLiteral("no reply to 5 reading requests"));
            return;
        }
        sendReadingRequest();
        m_rtc2.start();
        ++Loop_Cntr;
        return;
    }
    m_set.Format_Grid();
    if (count != replyLength(m_set.MODEL)) {
        fail(msg::kLiveError, appinfo::title(), replyLengthReason(count));
        return;
    }
    const QByteArray reply = m_link.takeAll();
    if (run != m_run)
        return;
    m_link.discardInput();
    // Bytes counted but gone when taken cannot be decoded.
    if (reply.size() < replyLength(m_set.MODEL)) {
        fail(msg::kLiveError, appinfo::title(), replyLengthReason(reply.size()));
        return;
    }
    appendReading(reply);
    RTCinter = m_interval() - 1;
    m_rtc1.start();
    Loop_Cntr = 0;
}

QString LiveReadings::replyLengthReason(qint64 count) const
{
    return QStringLiteral("the reading reply brought %1 bytes, %2 wanted")
        .arg(count)
        .arg(replyLength(m_set.MODEL));
}

void LiveReadings::appendReading(const QByteArray &reply)
{
    const int code = m_set.MODEL;
    const bool fahrenheit = m_set.Cels_Faren == 0;
    QString value;
    QString humidity;
    bool valueInvalid = false;
    bool humidityInvalid = false;
    auto temperatureText = [&](double t) {
        if (sensor::isInvalid(t)) {
            valueInvalid = true;
            return QStringLiteral("***");
        }
        return numfmt::picture(fahrenheit ? sensor::Conv_Faren(t) : t, "#00.0");
    };
    switch (model::family(code)) {
    case model::Family::Humidity: {
        const double t = numfmt::roundHalfEven(sensor::Calc_RHTemp(word(reply, 6)), 1);
        const double h = numfmt::roundHalfEven(sensor::Calc_RH(word(reply, 8), t), 1);
        value = temperatureText(t);
        humidityInvalid = sensor::isInvalid(h);
        humidity = humidityInvalid ? QStringLiteral("***") : numfmt::plain(h);
        break;
    }
    case model::Family::Temperature:
        value = temperatureText(numfmt::roundHalfEven(sensor::Calc_Temp(word(reply, 6)), 1));
        break;
    case model::Family::Voltage:
        value = numfmt::picture(numfmt::roundHalfEven(sensor::Calc_Volt(word(reply, 6)), 3),
                                "#0.000");
        break;
    case model::Family::CO2: {
        const double ppm = numfmt::roundHalfEven(sensor::Calc_CO2(word(reply, 6), code), 0);
        valueInvalid = sensor::isInvalid(ppm);
        value = valueInvalid ? QStringLiteral("***") : numfmt::plain(ppm);
        break;
    }
    case model::Family::Unknown:
        break;
    }

    ReadingsTable &t = m_set.table();
    const int r = t.appendRow();
    ++LiveRowNo;
    const QDateTime now = Clock::current().now();
    t.setValue(r, 0, QString::number(LiveRowNo), LiveRowNo);
    t.setMoment(r, now.date(), now.time(), datetext::dateText(now.date()),
                datetext::timeText(now.time()));
    // The numbers follow from the texts as written.
    t.setCell(r, 3, value, valueInvalid);
    if (model::isHumidity(code))
        t.setCell(r, 4, humidity, humidityInvalid);
    Q_EMIT rowAdded(r);
}
